// tarnwick together with the real wizard: the wizard's page-exit message reaches tarnwick's socket,
// and silent runs of the built wizard are reported as the host sees them.
#include "platform/host_message.h"
#include "tests/tarnwick/tarnwick_process.h"
#include "tarnwick/page_exit_listener.h"

#include "tests/support/design_folders.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(WizardMessageToTarnwick, PageExitPostedByTheWizardIsReadBackAsItsCorner)
{
    const int hostId = int(::getpid()) * 4 + 3;
    PageExitListener listener;
    std::string error;
    ASSERT_TRUE(listener.Open(hostId, error)) << error;
    SocketHostMessenger messenger;
    messenger.PostPageExit(hostId, 812, -4);
    messenger.PostPageExit(hostId, 0, 2000);
    const std::vector<HostDatagram> received = listener.ReceivePending();
    ASSERT_EQ(received.size(), 2u);
    // tarnwick takes a page exit only from the process that sent it being the wizard it started.
    EXPECT_EQ(received[0].senderPid, ::getpid());
    EXPECT_EQ(received[1].senderPid, ::getpid());
    PageExit first;
    PageExit second;
    ASSERT_TRUE(ParsePageExit(received[0].text, first)) << received[0].text;
    ASSERT_TRUE(ParsePageExit(received[1].text, second)) << received[1].text;
    EXPECT_EQ(first.cornerX, 812);
    EXPECT_EQ(first.cornerY, -4);
    EXPECT_EQ(second.cornerX, 0);
    EXPECT_EQ(second.cornerY, 2000);
}

class TarnwickWithWizard : public DesignFoldersTest {
protected:
    // tarnwick as built, finding the wizard beside itself, with no display to show pages on.
    ProcessRun Run(const std::vector<std::string>& args)
    {
        std::vector<std::string> all{TARNWICK_EXE};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(all, work, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
    }
};

TEST_F(TarnwickWithWizard, SilentNewRunWritesBothFiles)
{
    const std::string design = (designs / "deint.vhd").string();
    const ProcessRun run = Run({"-n", "-silent", design});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_TRUE(Contains(run.out, "starting " + std::string(ZORVEX_EXE) + " -n -h" + std::to_string(run.pid)
                                      + " -silent deint.vhd (on a working copy of " + design + ")\n"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "wizard ended with exit status 0: finished: the variation was written\n"));
    EXPECT_TRUE(Contains(run.out, "  present  " + (designs / "deint.cnx").string())) << run.out;
    EXPECT_TRUE(Contains(run.out, "  present  ./deint.vec")) << run.out;
    EXPECT_TRUE(fs::exists(designs / "deint.cnx"));
    EXPECT_TRUE(fs::exists(work / "deint.vec"));
    EXPECT_FALSE(Contains(run.out, "page exit")) << "a silent run shows no page";
    EXPECT_TRUE(Contains(run.out, "files tarnwick creates from them:\n  made     " + (designs / "deint.vhd").string()
                                      + "  (design file)\n  not made " + (designs / "deint.inc").string()
                                      + "  (include file): a function prototype in the host's own language"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "  made     " + (designs / "deint.cmp").string() + "  (component declaration)\n"));
    EXPECT_TRUE(Contains(ReadFileText(designs / "deint.vhd"), "entity deint is\n"));
}

TEST_F(TarnwickWithWizard, DesignFilesCanBeLeftOutAndOneThatCannotBeWrittenFailsTheRun)
{
    const std::string design = (designs / "f.v").string();
    const ProcessRun left = Run({"-n", "-silent", "--no-design-files", design});
    EXPECT_EQ(left.exitStatus, 0) << left.err;
    EXPECT_TRUE(Contains(left.out, "  absent   " + (designs / "f.v").string())) << left.out;
    EXPECT_FALSE(fs::exists(designs / "f.v"));

    // A folder where the .cmp goes cannot be replaced by a file, and the design's files change
    // together or not at all: the .cnx the wizard had written is put back too.
    std::ofstream(designs / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n";
    fs::create_directory(designs / "f.cmp");
    const ProcessRun run = Run({"-silent", design});
    EXPECT_EQ(run.exitStatus, 125);
    EXPECT_TRUE(Contains(run.err, "tarnwick: cannot replace " + (designs / "f.cmp").string() + ": Is a directory\n"))
        << run.err;
    EXPECT_TRUE(Contains(run.out, "  not made " + (designs / "f.v").string()
                                      + "  (design file): the design's files could not be replaced together\n"))
        << run.out;
    EXPECT_EQ(ReadFileText(designs / "f.cnx"), "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n");
    EXPECT_FALSE(fs::exists(designs / "f.v"));
}

TEST_F(TarnwickWithWizard, StartUpFailuresOfTheWizardAreReportedAsSuch)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-n", "-silent", (designs / "f.VHD").string()}, "illegal extension"},
        {{"-silent", (designs / "never.vhd").string()}, "Can't open file " + (designs / "never.cnx").string()},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args.back());
        const ProcessRun run = Run(args);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_TRUE(Contains(run.out, "wizard ended with exit status 1: start-up failed\n")) << run.out;
        EXPECT_TRUE(Contains(run.err, message)) << run.err;
    }
}

TEST_F(TarnwickWithWizard, ChangedSettingsWriteWhatTheWizardWritesForThem)
{
    const ProcessRun run = Run({"-n", "-silent", "--json", "--algorithm", "block", "--set", "I=5", "--set=J=9",
                                "--set", "CHARACTERISTIC_J=7", "--set", "W=3", (designs / "a.vhd").string()});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;

    // The same settings restored by the wizard itself, in a folder of their own.
    const fs::path direct = root / "direct";
    fs::create_directories(direct);
    std::ofstream(direct / "a.cnx") << "PRIVATE: CONVOLUTIONAL NUMERIC \"0\"\nPRIVATE: BLOCK NUMERIC \"1\"\n"
                                       "PRIVATE: CHARACTERISTIC_I NUMERIC \"5\"\nPRIVATE: CHARACTERISTIC_J NUMERIC \"7\"\n"
                                       "PRIVATE: SYMBOL_WIDTH NUMERIC \"3\"\n";
    ASSERT_EQ(RunProgram({ZORVEX_EXE, "-silent", (direct / "a.vhd").string()}, direct, {{"DISPLAY", ""}}).exitStatus, 0);
    EXPECT_EQ(ReadFileText(designs / "a.cnx"), ReadFileText(direct / "a.cnx"));
    EXPECT_EQ(ReadFileText(work / "a.vec"), ReadFileText(direct / "a.vec"));
    // No working copy is left behind: only the .cnx, the design file and .cmp made from it, and
    // beside them the library module the design file instantiates with the address generator and
    // the package of sizes it uses, copied from the library.
    EXPECT_EQ(FolderFiles({designs}).size(), 6u);
    for (const char* module : {"conv_qzram.vhd", "qz_sizes.vhd", "qz_addrgen.vhd"})
        EXPECT_EQ(ReadFileText(designs / module), ReadFileText(fs::path(ZORVEX_SOURCE_HDL) / module)) << module;

    // The report is one JSON object with the stored settings and their figures: a 5 x 7 block
    // holds 35 words, takes 2 * 35 + 4 cycles and 3 + 3 address bits; 35 / 204 codewords, so
    // 2 * 10 check symbols; the vectors end at 35 * 160.
    const nlohmann::json report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["exitStatus"], 0);
    EXPECT_EQ(report["outcome"], "finished");
    EXPECT_EQ(report["outcomeText"], "finished: the variation was written");
    EXPECT_EQ(report["files"][1]["path"], (work / "a.vec").string());
    EXPECT_EQ(report["changed"], (nlohmann::json{(designs / "a.cnx").string(), (work / "a.vec").string(),
                                                 (designs / "a.vhd").string(), (designs / "a.cmp").string(),
                                                 (designs / "conv_qzram.vhd").string(),
                                                 (designs / "qz_sizes.vhd").string(),
                                                 (designs / "qz_addrgen.vhd").string()}));
    EXPECT_EQ(report["files"][5],
              (nlohmann::json{{"path", (designs / "conv_qzram.vhd").string()}, {"exists", true}, {"made", true}}));
    EXPECT_EQ(report["design"], (designs / "a.vhd").string());
    EXPECT_EQ(report["pageExits"], nlohmann::json::array());
    EXPECT_EQ(report["files"][0], (nlohmann::json{{"path", (designs / "a.cnx").string()}, {"exists", true}}));
    EXPECT_EQ(report["files"][2],
              (nlohmann::json{{"path", (designs / "a.vhd").string()}, {"exists", true}, {"made", true}}));
    EXPECT_EQ(report["files"][3]["made"], false);
    EXPECT_TRUE(report["files"][3]["reason"].is_string());
    EXPECT_EQ(report["settings"]["CHARACTERISTIC_J"], 7);
    EXPECT_EQ(report["settings"]["BLOCK"], 1);
    EXPECT_EQ(report["settings"].size(), 12u);
    EXPECT_EQ(report["derived"], (nlohmann::json{{"addressWidth", 6}, {"memoryWords", 35}, {"latencyCycles", 74},
                                                 {"codewordsSpread", 0}, {"checkSymbols", 20}, {"vectorEndTime", 5600}}));
}

TEST_F(TarnwickWithWizard, RefusedOrUnfinishedRunsLeaveTheDesignsFilesAsTheyWere)
{
    const std::string design = (designs / "f.vhd").string();
    const std::string cnx = (designs / "f.cnx").string();
    const auto folderAt = [](const fs::path& path) {
        return [path] {
            fs::remove(path);
            fs::create_directory(path);
        };
    };
    const struct {
        std::vector<std::string> args;
        std::function<void()> setup;
        std::map<std::string, std::string> environment;
        int status;
        std::string message;
    } cases[] = {
        {{"-silent", "--set", "J=501", design}, {}, {}, 125, "Valid J : 2 - 500"},
        {{"-silent", "--set", "J=twelve", design}, {}, {}, 125, "not \"twelve\""},
        {{"-silent", "--set", "Q=1", design}, {}, {}, 125, "unknown setting"},
        // The wizard cancelled, or failed to start, on the working copy.
        {{"--zorvex", STAND_IN_WIZARD, "--set", "J=9", design}, {}, {{"STAND_IN_STATUS", "2"}}, 2, ""},
        {{"--zorvex", STAND_IN_WIZARD, "--set", "J=9", design}, {}, {{"STAND_IN_STATUS", "1"}}, 1, ""},
        {{"-silent", "--set", "J=9", (designs / "none.vhd").string()}, {}, {}, 125, "cannot read the stored settings"},
        // A file that cannot take its place, after the .cnx or before it, or one that cannot be
        // written at all: the files already replaced are put back.
        {{"-silent", "--set", "I=20", design}, folderAt(work / "f.vec"), {}, 125, "cannot"},
        {{"-silent", "--set", "I=20", design}, folderAt(designs / "f.cmp"), {}, 125, "cannot replace"},
        {{"-silent", "--set", "I=20", "--svg", (root / "missing" / "f.svg").string(), design}, {}, {}, 125,
         "cannot write " + (root / "missing" / "f.svg").string()},
        // Without a working copy, the .cnx and .vec the wizard replaced itself are put back.
        {{"-silent", "--svg", (root / "missing" / "f.svg").string(), design}, {}, {}, 125,
         "cannot write " + (root / "missing" / "f.svg").string()},
        // The symbol may not take the place of one of the run's own files.
        {{"-silent", "--set", "I=20", "--svg", cnx, design}, {}, {}, 125, "names the design's"},
        {{"-silent", "--svg", (designs / "f.cmp").string(), design}, {}, {}, 125, "names the design's"},
        {{"-silent", "--svg", (work / "f.vec").string(), design}, {}, {}, 125, "names the design's"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        for (const fs::path& folder : {designs, work}) {
            fs::remove_all(folder);
            fs::create_directories(folder);
        }
        std::ofstream(designs / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n";
        std::ofstream(designs / "f.vhd") << "older design\n";
        std::ofstream(designs / "f.cmp") << "older component\n";
        std::ofstream(work / "f.vec") << "older vectors\n";
        if (c.setup)
            c.setup();
        const std::map<std::string, std::string> before = FolderFiles({designs, work});
        std::map<std::string, std::string> environment = c.environment;
        environment["DISPLAY"] = "";
        std::vector<std::string> all{TARNWICK_EXE};
        all.insert(all.end(), c.args.begin(), c.args.end());
        const ProcessRun run = RunProgram(all, work, environment);
        EXPECT_EQ(run.exitStatus, c.status) << run.err;
        EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
        EXPECT_EQ(FolderFiles({designs, work}), before);
    }
}

TEST_F(TarnwickWithWizard, ADesignFolderTooFullForTheVectorsChangesNothing)
{
    // A file system of its own with room for the working copy's settings and the library files
    // (about 60 kB), but not for its vectors (about 220 kB at I = 20).
    const std::string mount = "mount -t tmpfs -o size=128k tmpfs '" + designs.string() + "' 2>/dev/null";
    if (::geteuid() != 0 || std::system(mount.c_str()) != 0)
        GTEST_SKIP() << "a small file system of its own cannot be mounted here";
    struct Unmount {
        std::string folder;
        ~Unmount() { (void)!std::system(("umount '" + folder + "'").c_str()); }
    } unmount{designs.string()};
    std::ofstream(designs / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n";
    std::ofstream(work / "f.vec") << "older vectors\n";
    const std::map<std::string, std::string> before = FolderFiles({designs, work});
    const ProcessRun run = Run({"-silent", "--set", "I=20", (designs / "f.vhd").string()});
    EXPECT_EQ(run.exitStatus, 125) << run.err;
    EXPECT_TRUE(Contains(run.err, "tarnwick: the wizard could not write the vector file")) << run.err;
    EXPECT_EQ(FolderFiles({designs, work}), before);
}

TEST_F(TarnwickWithWizard, JsonReportIsOneObjectAlsoWhenTarnwickFails)
{
    std::ofstream(designs / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n";
    const std::string design = (designs / "f.vhd").string();
    const struct {
        std::vector<std::string> args;
        int status;
        const char* outcome;
        std::string design; // none when the command line could not be read
    } cases[] = {
        {{"-n", "--set", "I=41"}, 125, "refused", design},
        {{"-q"}, 125, "refused", ""},
        {{"--svg", (designs / "f.cnx").string()}, 125, "refused", design},
        {{"--zorvex", "/nonexistent"}, 127, "failed", design},
        {{"--svg", (root / "missing" / "f.svg").string()}, 125, "failed", design},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        std::vector<std::string> args{"-silent", "--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(design);
        const ProcessRun run = Run(args);
        EXPECT_EQ(run.exitStatus, c.status) << run.err;
        // parse() takes one value and nothing after it but white space.
        const nlohmann::json report = nlohmann::json::parse(run.out, nullptr, false);
        ASSERT_TRUE(report.is_object()) << run.out;
        EXPECT_EQ(report["schemaVersion"].is_number_integer(), true) << run.out;
        EXPECT_EQ(report["exitStatus"], c.status);
        EXPECT_EQ(report["outcome"], c.outcome);
        EXPECT_TRUE(report["outcomeText"].is_string());
        EXPECT_TRUE(report["error"].is_string() && !report["error"].get<std::string>().empty()) << run.out;
        EXPECT_EQ(report["design"], c.design);
        EXPECT_EQ(report["pageExits"], nlohmann::json::array());
        EXPECT_EQ(report["changed"], nlohmann::json::array());
        ASSERT_TRUE(report["files"].is_array());
        for (const nlohmann::json& file : report["files"])
            EXPECT_EQ(file["path"].get<std::string>().front(), '/') << file;
    }
}

TEST_F(TarnwickWithWizard, ASecondRunOfADesignWaitsWhileTheFirstHoldsIt)
{
    const std::string design = (designs / "f.vhd").string();
    const fs::path second = root / "second";
    fs::create_directories(second);
    const fs::path go = root / "go";
    const fs::path self = root / "self.txt";
    // PID stands for the first run's process id.
    const struct {
        std::vector<std::string> args;
        bool waits; // until the first run has ended; else it gives up while that one holds the design
        int status;
        std::string waiting;
    } cases[] = {
        {{TARNWICK_EXE, "-silent", "--lock-timeout", "1", design}, false, 125,
         "tarnwick: waiting for process PID, which holds " + design + " (up to 1 s)\n"},
        {{TARNWICK_EXE, "--zorvex", STAND_IN_WIZARD, "-silent", "--lock-timeout", "20", design}, true, 0,
         "tarnwick: waiting for process PID, which holds " + design + " (up to 20 s)\n"},
        // The wizard on its own takes the design's lock to write it.
        {{ZORVEX_EXE, "-silent", design}, true, 0,
         (designs / "f").string() + ": waiting for process PID, which is writing it\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args[c.args.size() - 2]);
        fs::remove(go);
        fs::remove(self);
        std::ofstream(designs / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n";
        // The first run holds the design from before its wizard starts until it ends.
        ProcessRun first = StartProgram({TARNWICK_EXE, "--zorvex", STAND_IN_WIZARD, "-silent", design}, work,
                                        {{"STAND_IN_STATUS", "0"},
                                         {"STAND_IN_WAIT_FOR", go.string()},
                                         {"STAND_IN_SELF", self.string()}},
                                        "first");
        ASSERT_GT(first.pid, 0);
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(self); })) << "the first run's wizard did not start";
        const std::map<std::string, std::string> before = FolderFiles({designs});

        ProcessRun run = StartProgram(c.args, second, {{"DISPLAY", ""}, {"STAND_IN_STATUS", "0"}});
        ASSERT_GT(run.pid, 0);
        if (c.waits) {
            EXPECT_TRUE(WaitUntil([&] { return Contains(ReadFileText(second / "run.stderr"), "waiting for process"); }));
            int status = 0;
            EXPECT_EQ(::waitpid(run.pid, &status, WNOHANG), 0) << "it did not wait";
            EXPECT_EQ(FolderFiles({designs}), before);
            std::ofstream{go};
            FinishProgram(run, second);
        } else {
            FinishProgram(run, second);
            EXPECT_EQ(FolderFiles({designs}), before);
            EXPECT_EQ(run.out, "") << "no wizard is started";
            std::ofstream{go};
        }
        FinishProgram(first, work, "first");
        EXPECT_EQ(first.exitStatus, 0) << first.err;
        EXPECT_EQ(run.exitStatus, c.status) << run.err;
        std::string waiting = c.waiting;
        waiting.replace(waiting.find("PID"), 3, std::to_string(first.pid));
        EXPECT_TRUE(Contains(run.err, waiting)) << run.err;
        // Told once, however long it waits.
        EXPECT_EQ(run.err.find("waiting for"), run.err.rfind("waiting for")) << run.err;
    }
}

TEST_F(TarnwickWithWizard, RelativeDesignPathsAreWrittenWhereTheyLead)
{
    // A current folder whose path holds a double quote, which the wizard's command line cannot
    // carry: the wizard is given its design relative to its own working folder.
    const fs::path quoted = root / "a \"quoted\" folder";
    fs::create_directories(quoted);
    std::ofstream(quoted / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n";
    const fs::path verilog = root / "verilog";
    fs::create_directories(verilog);
    const std::vector<std::string> vhdlFiles{"conv_qzram.vhd", "f.cmp",          "f.cnx",       "f.vec",
                                             "f.vhd",          "qz_addrgen.vhd", "qz_sizes.vhd"};
    const struct {
        fs::path folder;
        std::vector<std::string> args;
        const char* value;
        std::string design;
        std::vector<std::string> files;
    } cases[] = {
        // Leading blanks are not part of the design's name.
        {work, {"-n", "-silent", "--json", "--set", "I=30", " f.vhd"}, "30", "f.vhd", vhdlFiles},
        {quoted, {"-silent", "--json", "--set", "I=20", "f.vhd"}, "20", "f.vhd", vhdlFiles},
        // A Verilog design also gets the constant functions its cores include.
        {verilog, {"-n", "-silent", "--json", "--set", "I=10", "f.v"}, "10", "f.v",
         {"conv_qzram.v", "f.cmp", "f.cnx", "f.v", "f.vec", "qz_addrgen.v", "qz_functions.vh"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.string());
        std::vector<std::string> all{TARNWICK_EXE};
        all.insert(all.end(), c.args.begin(), c.args.end());
        const ProcessRun run = RunProgram(all, c.folder, {{"DISPLAY", ""}});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        std::vector<std::string> names;
        for (const auto& [path, text] : FolderFiles({c.folder}))
            names.push_back(fs::path(path).filename().string());
        EXPECT_EQ(names, c.files);
        EXPECT_TRUE(Contains(ReadFileText(c.folder / "f.cnx"),
                             "PRIVATE: CHARACTERISTIC_I NUMERIC \"" + std::string(c.value) + "\"\n"));
        EXPECT_TRUE(Contains(ReadFileText(c.folder / c.design), c.design == "f.v" ? "module f (\n" : "entity f is\n"));
        const nlohmann::json report = nlohmann::json::parse(run.out);
        EXPECT_EQ(report["design"], c.design);
        EXPECT_EQ(report["files"][0]["path"], (c.folder / "f.cnx").string());
        EXPECT_EQ(report["files"][2]["path"], (c.folder / c.design).string());
    }
}

// The .cnx and .vec the wizard itself writes for the settings stored in cnx, in a folder of their own.
std::pair<std::string, std::string> DirectRun(const fs::path& folder, const std::string& cnx)
{
    fs::create_directories(folder);
    std::ofstream(folder / "f.cnx") << cnx;
    const ProcessRun run = RunProgram({ZORVEX_EXE, "-silent", (folder / "f.vhd").string()}, folder, {{"DISPLAY", ""}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return {ReadFileText(folder / "f.cnx"), ReadFileText(folder / "f.vec")};
}

TEST_F(TarnwickWithWizard, RunsOnOneDesignAtOnceTakeTurnsSoTheLaterKeepsTheEarliersChange)
{
    // The run that takes the design second reads the settings the first has written, so the
    // files end as the wizard writes them with both changes.
    const std::pair<std::string, std::string> both = DirectRun(
        root / "both", "PRIVATE: CHARACTERISTIC_I NUMERIC \"5\"\nPRIVATE: CHARACTERISTIC_J NUMERIC \"9\"\n");
    const std::string design = (designs / "f.vhd").string();
    for (int trial = 0; trial < 2; ++trial) {
        SCOPED_TRACE(trial);
        std::ofstream(designs / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n";
        fs::remove(work / "f.vec");
        ProcessRun a = StartProgram({TARNWICK_EXE, "-silent", "--set", "I=5", design}, work, {{"DISPLAY", ""}}, "a");
        ProcessRun b = StartProgram({TARNWICK_EXE, "-silent", "--set", "J=9", design}, work, {{"DISPLAY", ""}}, "b");
        FinishProgram(a, work, "a");
        FinishProgram(b, work, "b");
        EXPECT_EQ(a.exitStatus, 0) << a.err;
        EXPECT_EQ(b.exitStatus, 0) << b.err;
        EXPECT_EQ(ReadFileText(designs / "f.cnx"), both.first);
        EXPECT_TRUE(ReadFileText(work / "f.vec") == both.second) << "the .vec is not the one of the .cnx";
    }
}

TEST_F(TarnwickWithWizard, KilledRunLeavesTheOldOrTheNewFilesAndTheNextRunMakesTheRestAgree)
{
    // A large variation, so that its vector file takes a while to write.
    const std::string stored = "PRIVATE: CONVOLUTIONAL NUMERIC \"1\"\nPRIVATE: CHARACTERISTIC_I NUMERIC \"40\"\n"
                               "PRIVATE: CHARACTERISTIC_J NUMERIC \"300\"\nPRIVATE: SYMBOL_WIDTH NUMERIC \"32\"\n";
    // The design's four files, by name; the vector file is in the current folder.
    using Files = std::map<std::string, std::string>;
    const auto filesIn = [](const fs::path& folder, const fs::path& cwd) {
        return Files{{"f.cnx", ReadFileText(folder / "f.cnx")}, {"f.vhd", ReadFileText(folder / "f.vhd")},
                     {"f.cmp", ReadFileText(folder / "f.cmp")}, {"f.vec", ReadFileText(cwd / "f.vec")}};
    };
    // The names of the files that differ; the texts are too large to be shown.
    const auto differing = [](const Files& a, const Files& b) {
        std::vector<std::string> names;
        for (const auto& [name, text] : a) {
            if (b.at(name) != text)
                names.push_back(name);
        }
        return names;
    };
    std::ofstream(designs / "f.cnx") << stored;
    ASSERT_EQ(Run({"-silent", (designs / "f.vhd").string()}).exitStatus, 0);
    const Files older = filesIn(designs, work);
    const fs::path changed = root / "changed";
    fs::create_directories(changed);
    fs::copy_file(designs / "f.cnx", changed / "f.cnx");
    std::vector<std::string> args{TARNWICK_EXE, "-silent", "--set", "I=39", (changed / "f.vhd").string()};
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunProgram(args, changed, {{"DISPLAY", ""}}).exitStatus, 0);
    const auto whole = std::chrono::steady_clock::now() - start;
    const Files newer = filesIn(changed, changed);
    ASSERT_NE(older.at("f.cnx"), newer.at("f.cnx"));

    args.back() = (designs / "f.vhd").string();
    for (int eighth = 0; eighth < 8; ++eighth) {
        SCOPED_TRACE(eighth);
        for (const auto& [name, text] : older)
            std::ofstream(name == "f.vec" ? work / name : designs / name) << text;
        ProcessRun run = StartProgram(args, work, {{"DISPLAY", ""}});
        ASSERT_GT(run.pid, 0);
        std::this_thread::sleep_for(whole * eighth / 8);
        ::kill(run.pid, SIGKILL);
        FinishProgram(run, work);
        const std::string cnx = ReadFileText(designs / "f.cnx");
        const bool isNew = cnx == newer.at("f.cnx");
        EXPECT_TRUE(isNew || cnx == older.at("f.cnx"));
        // The .cnx takes its place last, so a new one comes with every other file new.
        if (isNew) {
            EXPECT_EQ(differing(filesIn(designs, work), newer), std::vector<std::string>{});
        }
        // The next run waits for the wizard of the killed one, which ends with it.
        ASSERT_EQ(Run({"-silent", (designs / "f.vhd").string()}).exitStatus, 0);
        EXPECT_EQ(differing(filesIn(designs, work), isNew ? newer : older), std::vector<std::string>{});
    }
}

} // namespace
