// Runs the built wizard as the host would, silently, and checks what it leaves behind.
#include "tests/support/design_folders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct RunOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

class SilentRunTest : public DesignFoldersTest {
protected:
    // Runs the wizard in the work directory with the given arguments (already quoted for a shell).
    RunOutcome Run(const std::string& arguments)
    {
        const fs::path outFile = root / "stdout.txt";
        const fs::path errFile = root / "stderr.txt";
        const std::string command = "cd '" + work.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '"
            + std::string(ZORVEX_EXE) + "' " + arguments + " >'" + outFile.string() + "' 2>'" + errFile.string() + "'";
        const int raw = std::system(command.c_str());
        RunOutcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = ReadFileText(outFile);
        outcome.err = ReadFileText(errFile);
        return outcome;
    }

    std::string Design(const std::string& name = "f.vhd") const { return "'" + (designs / name).string() + "'"; }
};

// The retrieval information of the initial settings, up to the symbol lines.
const char* const kDefaultRetrievalInfo =
    "GENERATION: STANDARD\n"
    "VERSION: WM1.0\n"
    "MODULE: conv_qzram conv_qzram\n"
    "\n"
    "PRIVATE: CONVOLUTIONAL NUMERIC \"1\"\n"
    "PRIVATE: BLOCK NUMERIC \"0\"\n"
    "PRIVATE: BLOCK_CONTINOUS NUMERIC \"0\"\n"
    "PRIVATE: INTERLEAVER NUMERIC \"1\"\n"
    "PRIVATE: DEINTERLEAVER NUMERIC \"0\"\n"
    "PRIVATE: INTERNAL_DPRAM NUMERIC \"1\"\n"
    "PRIVATE: EXTERNAL_DPRAM NUMERIC \"0\"\n"
    "PRIVATE: SYMBOL_WIDTH NUMERIC \"8\"\n"
    "PRIVATE: CHARACTERISTIC_I NUMERIC \"12\"\n"
    "PRIVATE: CHARACTERISTIC_J NUMERIC \"17\"\n"
    "PRIVATE: NUMBER_OF_SYMBOL_PER_CODEWORD NUMERIC \"204\"\n"
    "PRIVATE: NUMBER_OF_BURST_ERROR NUMERIC \"10\"\n"
    "\n"
    "CONSTANT: INT_TYPE STRING \"CONVOLUTIONAL\" conv_qzram\n"
    "CONSTANT: INT_DEPTH NUMERIC \"12\" conv_qzram\n"
    "CONSTANT: SYMBOL_DELAY NUMERIC \"17\" conv_qzram\n"
    "CONSTANT: INT_MODE STRING \"INTERLEAVER\" conv_qzram\n"
    "CONSTANT: SYMBOL_WIDTH NUMERIC \"8\" conv_qzram\n"
    "\n"
    "USED_PORT: clock 0 0 0 0 INPUT NODEFVAL clock \n"
    "USED_PORT: sync_in 0 0 0 0 INPUT NODEFVAL sync_in \n"
    "USED_PORT: clken 0 0 0 0 INPUT NODEFVAL clken \n"
    "USED_PORT: din 0 0 8 0 INPUT NODEFVAL din[7..0] \n"
    "USED_PORT: dout 0 0 8 0 OUTPUT NODEFVAL dout[7..0] \n"
    "USED_PORT: sync_out 0 0 0 0 OUTPUT NODEFVAL sync_out \n"
    "\n"
    "CONNECT: conv_qzram@clock 0 0 0 0 clock 0 0 0 0\n"
    "CONNECT: conv_qzram@sync_in 0 0 0 0 sync_in 0 0 0 0\n"
    "CONNECT: conv_qzram@clock_enable 0 0 0 0 clken 0 0 0 0\n"
    "CONNECT: conv_qzram@din 0 0 8 0 din 0 0 8 0\n"
    "CONNECT: dout 0 0 8 0 conv_qzram@dout 0 0 8 0\n"
    "CONNECT: sync_out 0 0 0 0 conv_qzram@sync_out 0 0 0 0\n"
    "\n";

} // namespace

TEST_F(SilentRunTest, NewVariationWritesRetrievalInformationAndVectors)
{
    const RunOutcome run = Run("-n -silent " + Design());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string cnx = ReadFileText(designs / "f.cnx");
    ASSERT_GE(cnx.size(), std::string(kDefaultRetrievalInfo).size());
    EXPECT_EQ(cnx.substr(0, std::string(kDefaultRetrievalInfo).size()), kDefaultRetrievalInfo);
    EXPECT_EQ(cnx.substr(std::string(kDefaultRetrievalInfo).size(), 12), "SYMBOL: BOX ");
    // The vector file goes to the current directory, not beside the design.
    EXPECT_FALSE(fs::exists(designs / "f.vec"));
    const std::string vec = ReadFileText(work / "f.vec");
    EXPECT_NE(vec.find("STOP 270000;\n"), std::string::npos);
    EXPECT_NE(vec.find("\n269960> 89\n270000> 0;\nOUTPUTS dout[7..0] sync_out;\n\n"), std::string::npos);
    // Nothing else is left behind, temporary files included.
    EXPECT_EQ(std::distance(fs::directory_iterator(designs), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 1);
}

TEST_F(SilentRunTest, SlashOptionsAndBlanksBeforeThePathAreUnderstood)
{
    const std::string path = (designs / "f.vhd").string();
    for (const std::string& arguments : {"/n /silent " + Design(), "-n -silent '  " + path + "'"}) {
        const RunOutcome run = Run(arguments);
        EXPECT_EQ(run.status, 0) << arguments << ": " << run.err;
        EXPECT_TRUE(fs::exists(designs / "f.cnx")) << arguments;
        // The next case starts from no files again.
        fs::remove(designs / "f.cnx");
        for (const fs::directory_entry& entry : fs::directory_iterator(work))
            fs::remove_all(entry.path());
    }
}

TEST_F(SilentRunTest, RestoredRunWritesTheSameFileAgain)
{
    ASSERT_EQ(Run("-n -silent " + Design()).status, 0);
    const std::string first = ReadFileText(designs / "f.cnx");
    const RunOutcome again = Run("-silent " + Design());
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ReadFileText(designs / "f.cnx"), first);
}

TEST_F(SilentRunTest, RestoresStoredSettings)
{
    std::ofstream(designs / "f.cnx") << "PRIVATE: CONVOLUTIONAL NUMERIC \"0\"\n"
                                        "PRIVATE: BLOCK NUMERIC \"1\"\n"
                                        "PRIVATE: INTERLEAVER NUMERIC \"0\"\n"
                                        "PRIVATE: DEINTERLEAVER NUMERIC \"1\"\n"
                                        "PRIVATE: INTERNAL_DPRAM NUMERIC \"0\"\n"
                                        "PRIVATE: EXTERNAL_DPRAM NUMERIC \"1\"\n";
    const RunOutcome run = Run("-silent " + Design("f.tdf"));
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string cnx = ReadFileText(designs / "f.cnx");
    EXPECT_NE(cnx.find("MODULE: genaddr genaddr\n"), std::string::npos);
    EXPECT_NE(cnx.find("CONSTANT: INT_MODE STRING \"DEINTERLEAVER\" genaddr\n"), std::string::npos);
    EXPECT_NE(cnx.find("USED_PORT: addr 0 0 9 0 OUTPUT NODEFVAL addr[8..0] \n"), std::string::npos);
    EXPECT_NE(cnx.find("CONNECT: addr 0 0 9 0 genaddr@read_addr 0 0 9 0\n"), std::string::npos);
    EXPECT_NE(ReadFileText(work / "f.vec").find("OUTPUTS addr[8..0] write_enable block_full block_empty;\n\n"),
              std::string::npos);
}

TEST_F(SilentRunTest, StartUpFailuresWriteNothing)
{
    struct Case {
        std::string arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"-n -silent", "Tarnwick Plug-In Manager: Can't start the wizard -- no design file has been specified\n"},
        {"-n -silent " + Design("f.VHD"),
         "Tarnwick Plug-In Manager: Can't start the wizard -- illegal extension in design file name\n"},
        {"-n -silent " + Design("f.vh"),
         "Tarnwick Plug-In Manager: Can't start the wizard -- illegal extension in design file name\n"},
        {"-n -silent -x 500", "Tarnwick Plug-In Manager: Can't start the wizard -- illegal extension in design file name\n"},
        {"-silent " + Design(), "Tarnwick Plug-In Manager: Can't open file " + (designs / "f.cnx").string() + "\n"},
        // One argument whose quote would end a quoted token early and name another design.
        {"-silent '" + (designs / "x\" ").string() + (designs / "v.v").string() + " -n'",
         "Tarnwick Plug-In Manager: Can't start the wizard -- the argument " + (designs / "x\" ").string()
             + (designs / "v.v").string() + " -n holds a double quote\n"},
        // Pages asked for where no display can show them.
        {"-n " + Design(), "Tarnwick Plug-In Manager: Can't start the wizard -- no display to show the pages on\n"},
    };
    for (const Case& c : cases) {
        const RunOutcome run = Run(c.arguments);
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_EQ(run.err, c.message) << c.arguments;
        EXPECT_TRUE(fs::is_empty(designs)) << c.arguments;
        EXPECT_TRUE(fs::is_empty(work)) << c.arguments;
    }
}

TEST_F(SilentRunTest, RetrievalInformationThatCannotBeReadWholeFailsStartUp)
{
    const fs::path cnx = designs / "f.cnx";
    const std::string message = "Tarnwick Plug-In Manager: Can't open file " + cnx.string() + "\n";
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        // A named pipe that no one writes to would block the run for ever.
        {"named pipe", [&] { ASSERT_EQ(::mkfifo(cnx.c_str(), 0600), 0); }},
        // A device reads without end.
        {"link to a device", [&] { fs::create_symlink("/dev/zero", cnx); }},
        {"folder", [&] { fs::create_directory(cnx); }},
        // Real ones hold a few kilobytes; a larger one is not read into memory.
        {"over 16 MiB", [&] {
             std::ofstream(cnx) << "PRIVATE: SYMBOL_WIDTH NUMERIC \"9\"\n";
             fs::resize_file(cnx, (16u << 20) + 1);
         }},
    };
    for (const auto& c : cases) {
        fs::remove_all(cnx);
        c.make();
        const auto before = fs::symlink_status(cnx).type();
        const RunOutcome run = Run("-silent " + Design());
        EXPECT_EQ(run.status, 1) << c.what;
        EXPECT_EQ(run.err, message) << c.what;
        EXPECT_EQ(fs::symlink_status(cnx).type(), before) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(designs), fs::directory_iterator()), 1) << c.what;
        EXPECT_TRUE(fs::is_empty(work)) << c.what;
    }
}

TEST_F(SilentRunTest, UnknownOptionShowsTheUsageAndGoesOn)
{
    const RunOutcome run = Run("-n -SILENT -silent " + Design());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err.rfind("Tarnwick Plug-In Manager: Command line options:\n\n-n\t\tindicates", 0), 0u) << run.err;
    EXPECT_TRUE(fs::exists(designs / "f.cnx"));
}

TEST_F(SilentRunTest, VersionAndHelpAloneAreAnsweredAndBesideOtherArgumentsAreUnknownOptions)
{
    const struct {
        const char* option;
        std::string answerStart;
    } cases[] = {
        {"--version", "zorvex " ZORVEX_VERSION "\n"},
        {"--help", "Usage: zorvex [-n] [-silent] [-symbol] [-h<id>] [-x<X>] [-y<Y>] [-p<N>] <design file>\n"},
    };
    for (const auto& c : cases) {
        const RunOutcome answer = Run(c.option);
        EXPECT_EQ(answer.status, 0) << c.option << ": " << answer.err;
        EXPECT_EQ(answer.out.rfind(c.answerStart, 0), 0u) << answer.out;
        EXPECT_EQ(answer.err, "") << c.option;
        EXPECT_TRUE(fs::is_empty(work)) << c.option;
        // A host's command line is read by the host's grammar, whatever it holds.
        const RunOutcome run = Run(std::string(c.option) + " -n -silent " + Design());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "") << c.option;
        EXPECT_EQ(run.err.rfind("Tarnwick Plug-In Manager: Command line options:\n", 0), 0u) << run.err;
        EXPECT_TRUE(fs::exists(designs / "f.cnx")) << c.option;
        // The next case starts from no files again.
        fs::remove(designs / "f.cnx");
        for (const fs::directory_entry& entry : fs::directory_iterator(work))
            fs::remove_all(entry.path());
    }
}

TEST_F(SilentRunTest, MissingDirectoryFailsTheRunWithAMessage)
{
    // The vector file takes its place only with the retrieval information: a failed run changes
    // no file.
    std::ofstream(work / "f.vec") << "older vectors\n";
    const std::string design = (root / "missing" / "f.vhd").string();
    const RunOutcome run = Run("-n -silent '" + design + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Tarnwick Plug-In Manager: Can't write file " + (root / "missing" / "f.cnx").string() + "\n");
    EXPECT_EQ(ReadFileText(work / "f.vec"), "older vectors\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 1);
}

TEST_F(SilentRunTest, UnwritableVectorFileIsReportedButTheRunFinishes)
{
    fs::create_directory(work / "f.vec"); // a directory cannot be replaced by the file
    const RunOutcome run = Run("-n -silent " + Design());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Tarnwick Plug-In Manager: Can't write file f.vec\n");
    EXPECT_TRUE(fs::exists(designs / "f.cnx"));
    EXPECT_TRUE(fs::is_directory(work / "f.vec"));
}

TEST_F(SilentRunTest, OversizedVectorFileIsRefusedAndTheOlderOneKept)
{
    // A 60 GB vector file asked for by a hand-edited width.
    std::ofstream(designs / "f.cnx") << "PRIVATE: SYMBOL_WIDTH NUMERIC \"2147483647\"\n";
    std::ofstream(work / "f.vec") << "older vectors\n";
    const RunOutcome run = Run("-silent " + Design());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Tarnwick Plug-In Manager: Can't write file f.vec\n");
    EXPECT_EQ(ReadFileText(work / "f.vec"), "older vectors\n");
    EXPECT_NE(ReadFileText(designs / "f.cnx").find("PRIVATE: SYMBOL_WIDTH NUMERIC \"2147483647\"\n"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 1);
}

TEST_F(SilentRunTest, FailedWriteKeepsTheOlderFile)
{
    // A directory named like the temporary file's target makes the rename fail after a full write.
    fs::create_directory(designs / "f.cnx");
    const RunOutcome run = Run("-n -silent " + Design());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(fs::is_directory(designs / "f.cnx"));
    EXPECT_EQ(std::distance(fs::directory_iterator(designs), fs::directory_iterator()), 1);
}

TEST_F(SilentRunTest, GarbledRetrievalInformationNeverCrashes)
{
    std::string garbage = "PRIVATE: SYMBOL_WIDTH NUMERIC \"3x\"\nPRIVATE: CHARACTERISTIC_I NUMERIC \"-7\n";
    garbage += std::string("\0\x01\xff\"\\", 5) + std::string(100000, 'x') + "PRIVATE: BLOCK NUMERIC \"1\"\n";
    garbage += "CONNECT:\nUSED_PORT: a\nPRIVATE: CHARACTERISTIC_J NUMERIC \"1000000\"";
    std::ofstream(designs / "f.v", std::ios::binary) << "";
    std::ofstream(designs / "f.cnx", std::ios::binary) << garbage;
    // Huge restored figures would make a huge vector file; the symbol width alone is enough here.
    const RunOutcome run = Run("-silent " + Design("f.v"));
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string cnx = ReadFileText(designs / "f.cnx");
    EXPECT_NE(cnx.find("PRIVATE: CHARACTERISTIC_I NUMERIC \"-7\"\n"), std::string::npos);
    EXPECT_NE(cnx.find("PRIVATE: BLOCK NUMERIC \"0\"\n"), std::string::npos) << "a record after a long line's 255th character";
}

// A design named in UTF-8 gets the symbol lines of its name's characters: "filtér" is as wide as
// "filter" ("é" and "e" advance alike), so both write the same symbol lines; read byte by byte,
// "Ã©" would be wider and move the name's box.
TEST_F(SilentRunTest, Utf8DesignNameWritesTheSymbolLinesOfItsCharacters)
{
    const std::string folder = "j\xC3\xBCrgen";
    const std::string name = "filt\xC3\xA9r";
    fs::create_directories(designs / folder);
    const RunOutcome accented = Run("-n -silent " + Design(folder + "/" + name + ".vhd"));
    ASSERT_EQ(accented.status, 0) << accented.err;
    ASSERT_EQ(Run("-n -silent " + Design("filter.vhd")).status, 0);
    const auto symbolLines = [](const std::string& cnx) { return cnx.substr(std::min(cnx.find("SYMBOL: "), cnx.size())); };
    const std::string expected = symbolLines(ReadFileText(designs / "filter.cnx"));
    ASSERT_EQ(expected.rfind("SYMBOL: BOX ", 0), 0u);
    EXPECT_EQ(symbolLines(ReadFileText(designs / folder / (name + ".cnx"))), expected);
}
