// tarnwick together with the real wizard: the wizard's page-exit message reaches tarnwick's socket,
// and silent runs of the built wizard are reported as the host sees them.
#include "platform/host_message.h"
#include "tests/tools/tarnwick_process.h"
#include "tools/tarnwick/page_exit_listener.h"

#include "tests/support/design_folders.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <fstream>
#include <map>

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
                                      + " -silent " + design + "\n"))
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
    EXPECT_TRUE(Contains(run.err, "tarnwick: cannot replace " + (designs / "f.cmp").string() + "\n")) << run.err;
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

// The files of a design folder and of the working folder, each with its text.
std::map<std::string, std::string> FolderFiles(const std::vector<fs::path>& folders)
{
    std::map<std::string, std::string> files;
    for (const fs::path& folder : folders)
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            files[entry.path().string()] = entry.is_regular_file() ? ReadFileText(entry.path()) : "(folder)";
    return files;
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
    // No working copy is left behind: only the .cnx and the design file and .cmp made from it.
    EXPECT_EQ(FolderFiles({designs}).size(), 3u);

    // The report is one JSON object with the stored settings and their figures: a 5 x 7 block
    // holds 35 words, takes 2 * 35 + 4 cycles and 3 + 3 address bits; 35 / 204 codewords, so
    // 2 * 10 check symbols; the vectors end at 35 * 160.
    const nlohmann::json report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["exitStatus"], 0);
    EXPECT_EQ(report["outcome"], "finished");
    EXPECT_EQ(report["outcomeText"], "finished: the variation was written");
    EXPECT_EQ(report["files"][1]["path"], (work / "a.vec").string());
    EXPECT_EQ(report["changed"], (nlohmann::json{(designs / "a.cnx").string(), (work / "a.vec").string(),
                                                 (designs / "a.vhd").string(), (designs / "a.cmp").string()}));
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
    std::ofstream(designs / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n";
    std::ofstream(work / "f.vec") << "older vectors\n";
    const std::map<std::string, std::string> before = FolderFiles({designs, work});
    const std::string design = (designs / "f.vhd").string();
    const struct {
        std::vector<std::string> args;
        std::map<std::string, std::string> environment;
        int status;
        const char* message;
    } cases[] = {
        {{"-silent", "--set", "J=501", design}, {}, 125, "Valid J : 2 - 500"},
        {{"-silent", "--set", "J=twelve", design}, {}, 125, "not \"twelve\""},
        {{"-silent", "--set", "Q=1", design}, {}, 125, "unknown setting"},
        // The wizard cancelled, or failed to start, on the working copy.
        {{"--zorvex", STAND_IN_WIZARD, "--set", "J=9", design}, {{"STAND_IN_STATUS", "2"}}, 2, ""},
        {{"--zorvex", STAND_IN_WIZARD, "--set", "J=9", design}, {{"STAND_IN_STATUS", "1"}}, 1, ""},
        {{"-silent", "--set", "J=9", (designs / "none.vhd").string()}, {}, 125, "cannot read the stored settings"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[c.args.size() - 2]);
        std::map<std::string, std::string> environment = c.environment;
        environment["DISPLAY"] = "";
        std::vector<std::string> all{TARNWICK_EXE};
        all.insert(all.end(), c.args.begin(), c.args.end());
        const ProcessRun run = RunProgram(all, work, environment);
        EXPECT_EQ(run.exitStatus, c.status) << run.err;
        EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
        std::map<std::string, std::string> after = FolderFiles({designs, work});
        // The run's own output files in the working folder are not the design's.
        std::erase_if(after, [&](const auto& file) { return file.first.rfind((work / "run.").string(), 0) == 0; });
        EXPECT_EQ(after, before);
    }
}

} // namespace
