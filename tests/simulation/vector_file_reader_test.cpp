#include "simulation/vector_file_reader.h"

#include "settings/interleaver_settings.h"
#include "settings/vector_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

std::string Written(const InterleaverSettings& settings)
{
    std::ostringstream out;
    WriteVectorFile(out, settings);
    return out.str();
}

std::vector<std::pair<std::int64_t, std::uint64_t>> Changes(std::initializer_list<std::pair<std::int64_t, std::uint64_t>> list)
{
    return list;
}

TEST(VectorFileReader, ReadsTheWizardsFileForInternalMemory)
{
    VectorFile file;
    std::string error;
    ASSERT_TRUE(ReadVectorFile(Written(InterleaverSettings()), "f.vec", file, error)) << error;
    EXPECT_EQ(file.start, 0);
    EXPECT_EQ(file.stop, 270000);
    EXPECT_EQ(file.interval, 20);
    ASSERT_EQ(file.inputs.size(), 4u);
    const VectorInput& clock = file.inputs[0];
    EXPECT_EQ(clock.signal.name, "clock");
    EXPECT_TRUE(clock.periodic);
    EXPECT_EQ(clock.periodValues, (std::vector<std::uint64_t>{0, 1}));
    EXPECT_EQ(file.inputs[1].changes, Changes({{0, 0}, {80, 1}, {120, 0}}));
    EXPECT_EQ(file.inputs[2].changes, Changes({{0, 0}, {160, 1}}));
    const VectorInput& din = file.inputs[3];
    EXPECT_EQ(din.signal.name, "din");
    EXPECT_EQ(din.signal.width(), 8);
    // 0> 0, one value every 40 from 160 up to 269960, and the closing 270000> 0.
    EXPECT_EQ(din.changes.size(), 2u + (270000 - 160) / 40);
    EXPECT_EQ(din.ValueAt(199, 0, 20), 0u);
    EXPECT_EQ(din.ValueAt(200, 0, 20), 1u);
    // The ramp wraps after 255.
    EXPECT_EQ(din.ValueAt(160 + 40 * 256, 0, 20), 0u);
    EXPECT_EQ(clock.ValueAt(19, 0, 20), 0u);
    EXPECT_EQ(clock.ValueAt(20, 0, 20), 1u);
    EXPECT_EQ(clock.ValueAt(40, 0, 20), 0u);
    ASSERT_EQ(file.outputs.size(), 2u);
    EXPECT_EQ(file.outputs[0].name, "dout");
    EXPECT_EQ(file.outputs[0].width(), 8);
    EXPECT_EQ(file.outputs[1].name, "sync_out");
    EXPECT_FALSE(file.outputs[1].isBus());
}

TEST(VectorFileReader, ReadsTheWizardsFilesForEveryAlgorithmAndMemory)
{
    struct Case {
        int block;
        int external;
        std::vector<std::string> outputs;
    };
    const Case cases[] = {
        {1, 0, {"dout", "dout_valid", "next_din"}},
        {0, 1, {"read_addr", "write_addr", "sync_out"}},
        {1, 1, {"addr", "write_enable", "block_full", "block_empty"}},
    };
    for (const Case& c : cases) {
        InterleaverSettings settings;
        settings.CONVOLUTIONAL = 1 - c.block;
        settings.BLOCK = c.block;
        settings.INTERNAL_DPRAM = 1 - c.external;
        settings.EXTERNAL_DPRAM = c.external;
        VectorFile file;
        std::string error;
        ASSERT_TRUE(ReadVectorFile(Written(settings), "f.vec", file, error)) << error;
        std::vector<std::string> outputs;
        for (const VectorSignal& signal : file.outputs)
            outputs.push_back(signal.name);
        EXPECT_EQ(outputs, c.outputs);
        EXPECT_EQ(file.inputs.size(), c.external ? 3u : 4u);
        EXPECT_EQ(file.stop, settings.vectorEndTime());
    }
}

TEST(VectorFileReader, ReadsHandEditedFiles)
{
    const char text[] = "% a note %start 10; stop 500 ;radix dec; interval 5;\n"
                        "inputs clk; pattern 1 1 0;\n"
                        "Inputs d[3..1]\\Dec; Pattern 10>7 10>2 % the later wins % 30>5;\n"
                        "outputs q[2..0] r;";
    VectorFile file;
    std::string error;
    ASSERT_TRUE(ReadVectorFile(text, "h.vec", file, error)) << error;
    EXPECT_EQ(file.start, 10);
    EXPECT_EQ(file.stop, 500);
    const VectorInput& clk = file.inputs[0];
    EXPECT_EQ(clk.ValueAt(10, 10, 5), 1u);
    EXPECT_EQ(clk.ValueAt(20, 10, 5), 0u);
    EXPECT_EQ(clk.ValueAt(25, 10, 5), 1u);
    const VectorInput& d = file.inputs[1];
    EXPECT_EQ(d.signal.width(), 3);
    EXPECT_EQ(d.ValueAt(9, 10, 5), 0u);
    EXPECT_EQ(d.ValueAt(10, 10, 5), 2u);
    EXPECT_EQ(d.ValueAt(30, 10, 5), 5u);
    EXPECT_EQ(file.outputs[0].width(), 3);
}

TEST(VectorFileReader, RefusesWhatItDoesNotUnderstandAtItsPlace)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"START 0;\nSTOP 100;\nFOO;",
         "v.vec:3:1: expected a statement (START, STOP, RADIX, INTERVAL, INPUTS, GROUP or OUTPUTS), found 'FOO'"},
        {"STOP 100;\n  % open", "v.vec:2:3: the comment that starts here has no closing '%'"},
        {"STOP 10", "v.vec:1:8: expected ';', found the end of the file"},
        {"RADIX HEX;", "v.vec:1:7: expected DEC, the only radix read, found 'HEX'"},
        {"STOP 9;\nPATTERN 0 1;", "v.vec:2:1: PATTERN must follow an INPUTS statement"},
        {"STOP 99;\nINPUTS a;\nPATTERN\n0>0\n80>1\n40>0;", "v.vec:6:1: time 40 comes before the time ahead of it, 80"},
        {"STOP 9;\nINPUTS d[1..0]\\DEC;\nPATTERN 0> 4;", "v.vec:3:12: value 4 does not fit the 2 bits of d"},
        {"START 0;", "v.vec:1:9: the file ends without a STOP time"},
        {"STOP 9;\nINPUTS a;\nOUTPUTS b;", "v.vec:3:1: expected PATTERN for input a, found 'OUTPUTS'"},
        {"STOP 9;\nINPUTS a;\nPATTERN 0>0 1;", "v.vec:3:14: expected '>' after the time, found ';'"},
        {"STOP 9;\nINTERVAL 2;\nINPUTS a;\nPATTERN 0 1>0;", "v.vec:4:12: a repeating pattern holds values only, not 'time>value'"},
        {"STOP 10 ;\n#", "v.vec:2:1: unexpected character '#'"},
        {"OUTPUTS d[0..3];", "v.vec:1:10: the range of d must run from its highest bit down"},
        {"STOP 100;\nINPUTS a;\nPATTERN 0>0 200>1;", "v.vec:2:1: the pattern of a names time 200, outside START..STOP"},
        {"STOP 9;\nINPUTS a;PATTERN 0>0;\nINPUTS a;", "v.vec:3:8: input a is given twice"},
        {"STOP 10;\nINPUTS clock;\nPATTERN 0 1;", "v.vec:2:1: the repeating pattern of clock needs an INTERVAL"},
        {"STOP 5;\nSTART 5;", "v.vec:2:9: STOP 5 is not after START 5"},
        {"STOP 2147483648;", "v.vec:1:6: time 2147483648 is past the latest, 2147483647"},
        {"STOP 99999999999999999999;", "v.vec:1:6: '99999999999999999999' is too large"},
        {"INTERVAL 0;", "v.vec:1:1: INTERVAL must be more than 0"},
        {"STOP 9;\nINPUTS a;\nPATTERN ;", "v.vec:3:9: expected a value or a time, found ';'"},
        {"GROUP din[1..0] = din1 din0;", "v.vec:1:7: expected CREATE, found 'din'"},
        {"STOP 9; OUTPUTS a b a;", "v.vec:1:21: output a is given twice"},
        {"OUTPUTS q[64..0];", "v.vec:1:11: bit 64 is past bit 63"},
    };
    for (const Case& c : cases) {
        VectorFile file;
        std::string error;
        EXPECT_FALSE(ReadVectorFile(c.text, "v.vec", file, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

// Every name is checked against all the earlier ones without going through them one by one: a
// file naming 100000 signals is read in a moment, not in the time their square takes.
TEST(VectorFileReader, FindsANameGivenTwiceAmongManyAtOnce)
{
    struct Case {
        std::string (*name)(int);
        const char* error;
    };
    const Case cases[] = {
        {[](int k) { return "INPUTS i" + std::to_string(k) + "; PATTERN 0>0;\n"; }, "input i0 is given twice"},
        {[](int k) { return (k == 0 ? "OUTPUTS o" : " o") + std::to_string(k); }, "output o0 is given twice"},
    };
    for (const Case& c : cases) {
        std::string text = "STOP 9;\n";
        for (int k = 0; k < 100000; ++k)
            text += c.name(k);
        text += c.name(0) + ";";
        const auto began = std::chrono::steady_clock::now();
        VectorFile file;
        std::string error;
        EXPECT_FALSE(ReadVectorFile(text, "v.vec", file, error));
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5)) << c.error;
        EXPECT_TRUE(error.ends_with(c.error)) << error;
    }
}

TEST(VectorFileReader, LoadRefusesAFileItCannotRead)
{
    // A missing file says where the wizard puts it; one that is there but no regular file says so.
    const struct {
        const char* path;
        const char* error;
    } cases[] = {
        {"/nonexistent/f.vec", "there is no vector file /nonexistent/f.vec: the wizard writes it in the folder it runs in"},
        {"/", "cannot read the vector file / (a regular file of at most 256 MiB)"},
    };
    for (const auto& c : cases) {
        VectorFile file;
        std::string error;
        EXPECT_FALSE(LoadVectorFile(c.path, file, error));
        EXPECT_EQ(error, c.error);
    }
}

// The address space the process holds now, in bytes.
std::uint64_t AddressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    statm >> pages;
    return pages * std::uint64_t(::sysconf(_SC_PAGESIZE));
}

// Files of holes, which take no room on disk: one past the bound is refused by its size, and one
// within it that the memory cannot hold, read in a child whose address space may grow by 64 MiB,
// fails with the reason instead of ending the process.
TEST(VectorFileReader, LoadNamesTheBoundOfALargeFileAndSurvivesWantOfMemory)
{
    std::string folder = testing::TempDir() + "vector_file_reader_XXXXXX";
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const std::string large = folder + "/large.vec";
    std::ofstream(large).close();
    std::filesystem::resize_file(large, kMaxVectorFileSize + 1);
    VectorFile file;
    std::string error;
    EXPECT_FALSE(LoadVectorFile(large, file, error));
    EXPECT_EQ(error, "the vector file " + large + " holds 268435457 bytes, more than the 256 MiB of the largest "
                                                  "the wizard writes");
#if !defined(__SANITIZE_ADDRESS__)
    std::filesystem::resize_file(large, std::uint64_t(200) << 20);
    const auto load = [&large] {
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = AddressSpaceInUse() + (std::uint64_t(64) << 20);
        ::setrlimit(RLIMIT_AS, &limit);
        VectorFile file;
        std::string error;
        const bool loaded = LoadVectorFile(large, file, error);
        std::fprintf(stderr, "%s\n", error.c_str());
        std::_Exit(!loaded && error == "there is not enough memory to read the vector file " + large ? 0 : 1);
    };
    EXPECT_EXIT(load(), ::testing::ExitedWithCode(0), "");
#endif
    std::filesystem::remove_all(folder);
}

} // namespace
