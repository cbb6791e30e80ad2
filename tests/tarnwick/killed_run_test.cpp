// Runs of tarnwick killed outright inside a step, with the built wizard: nothing they started runs
// on, and the next run removes what they left.
#include "tests/support/design_folders.h"
#include "tests/tarnwick/tarnwick_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class KilledRun : public DesignFoldersTest {
protected:
    ProcessRun Run(std::vector<std::string> args, std::map<std::string, std::string> extra = {})
    {
        args.insert(args.begin(), TARNWICK_EXE);
        extra.insert({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
        return RunProgram(args, work, extra);
    }
    std::string Design() const { return (designs / "f.vhd").string(); }

    // The hidden names of what runs make in folder.
    static std::vector<std::string> RunsEntries(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(".tarnwick-", 0) == 0 || name.rfind(".zorvex-", 0) == 0 || name.rfind("tarnwick-", 0) == 0)
                names.push_back(name);
        }
        return names;
    }
};

TEST_F(KilledRun, ItsNewAndKeptFilesBesideTheDesignAndInTheCurrentFolderGoWithTheNextRun)
{
    const std::string strace = "/usr/bin/strace";
    if (!fs::exists(strace) || RunProgram({strace, "-o", "/dev/null", "/bin/true"}, work).exitStatus != 0)
        GTEST_SKIP() << "strace is not installed or may not trace here";
    const struct {
        const char* what;
        std::vector<std::string> args;
        const char* injected;
    } cases[] = {
        // Every file exchanged with its new text, the older ones under temporary names, when the
        // first of those is to be removed.
        {"killed in the install", {"-silent", "--set", "I=20"}, "inject=unlink:signal=KILL:when=1"},
        // Without stored settings the older vector file, in the current folder, is kept under a
        // name of its own before the wizard starts.
        {"killed as the wizard starts", {"-silent"}, "inject=clone:signal=KILL:when=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Run({"-n", "-silent", Design()}).exitStatus, 0);
        if (c.args.size() == 1)
            fs::remove(designs / "f.cnx");
        std::vector<std::string> args{strace, "-o", "/dev/null", "-e", c.injected, TARNWICK_EXE};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(Design());
        const ProcessRun killed = RunProgram(args, work, {{"DISPLAY", ""}});
        ASSERT_EQ(killed.endSignal, SIGKILL) << killed.out << killed.err;
        EXPECT_FALSE(RunsEntries(work).empty());
        ASSERT_EQ(Run({"-n", "-silent", Design()}).exitStatus, 0);
        EXPECT_EQ(RunsEntries(designs), std::vector<std::string>{});
        EXPECT_EQ(RunsEntries(work), std::vector<std::string>{});
    }
}

TEST_F(KilledRun, NothingOfItsSimulationRunsOnAndTheNextRunRemovesItsFolder)
{
    // A simulator that leaves a process in its group and a file in its TMPDIR, and then waits.
    const fs::path bin = root / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "ghdl") << "#!/bin/sh\nsleep 60 &\n: > \"$TMPDIR/tool-temp\"\n"
                                   "echo $! > \"$LEFT.tmp\" && mv \"$LEFT.tmp\" \"$LEFT\"\nwait\n";
    fs::permissions(bin / "ghdl", fs::perms::owner_all);
    const fs::path tmp = root / "tmp";
    fs::create_directories(tmp);
    const fs::path left = root / "left";
    const std::map<std::string, std::string> environment{{"PATH", bin.string() + ":" + std::getenv("PATH")},
                                                         {"TMPDIR", tmp.string()},
                                                         {"LEFT", left.string()},
                                                         {"DISPLAY", ""}};
    ASSERT_EQ(Run({"-n", "-silent", Design()}).exitStatus, 0);
    ProcessRun run = StartProgram({TARNWICK_EXE, "-silent", "--simulate-only", Design()}, work, environment);
    ASSERT_GT(run.pid, 0);
    pid_t process = 0;
    ASSERT_TRUE(WaitUntil([&] { return (std::ifstream(left) >> process) && process > 0; }, std::chrono::seconds(60)))
        << "the simulator did not start";
    ::kill(run.pid, SIGKILL);
    FinishProgram(run, work);
    EXPECT_TRUE(WaitUntil([&] { return ProcessGone(process); })) << "the simulator's process outlived tarnwick";
    // The tool's own files are in the run's folders (the design's simulation's and the pair's,
    // which runs beside it), not beside them.
    const std::vector<std::string> leftovers = RunsEntries(tmp);
    ASSERT_FALSE(leftovers.empty());
    EXPECT_LE(leftovers.size(), 2u);
    for (const std::string& leftover : leftovers)
        EXPECT_EQ(leftover.rfind("tarnwick-sim-" + std::to_string(run.pid) + "-", 0), 0u) << leftover;
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp), fs::directory_iterator()), std::ptrdiff_t(leftovers.size()));
    ASSERT_EQ(Run({"-silent", Design()}, environment).exitStatus, 0);
    EXPECT_TRUE(fs::is_empty(tmp));
}

} // namespace
