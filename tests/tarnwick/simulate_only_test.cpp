// --simulate-only on an installed design, with the built wizard making it first.
#include "platform/design_lock.h"
#include "platform/path_lookup.h"
#include "tests/support/design_folders.h"
#include "tests/tarnwick/tarnwick_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

class SimulateOnly : public DesignFoldersTest {};

TEST_F(SimulateOnly, AFolderTheWaveformCannotGoIntoIsFoundBeforeTheSimulation)
{
    const std::string design = (designs / "f.vhd").string();
    ASSERT_EQ(RunProgram({TARNWICK_EXE, "-n", "-silent", design}, work, {{"DISPLAY", ""}}).exitStatus, 0);
    // The design's folder read-only in a mount namespace of tarnwick's own.
    const std::string readOnly = "mount --bind \"$0\" \"$0\" && mount -o remount,ro,bind \"$0\" \"$0\"";
    if (std::system(("unshare --user --map-root-user --mount sh -c '" + readOnly + "' '" + designs.string()
                     + "' >/dev/null 2>&1")
                        .c_str())
        != 0)
        GTEST_SKIP() << "no folder can be made read-only in a namespace here";
    const ProcessRun run =
        RunProgram({"/usr/bin/unshare", "--user", "--map-root-user", "--mount", "sh", "-c",
                    readOnly + " && exec \"$@\"", designs.string(), TARNWICK_EXE, "--simulate-only", design},
                   work, {{"DISPLAY", ""}});
    EXPECT_EQ(run.exitStatus, 125);
    EXPECT_EQ(run.err,
              "tarnwick: simulation: cannot write the waveform in " + designs.string() + "/: Read-only file system\n");
}

// On a terminal the run says where it is, and the design stays locked until the report is out:
// tarnwick's standard error is a pseudo-terminal and its standard output a pipe that is already
// full, so that it waits in the report's first write. The design's simulation runs a few seconds
// (about 114,000 edges), long enough for its progress to be shown at least once.
TEST_F(SimulateOnly, ShowsItsPhasesOnATerminalAndHoldsTheLockUntilTheReportIsOut)
{
    if (FindOnPath("iverilog").empty())
        GTEST_SKIP() << "iverilog is not installed";
    const std::string design = (designs / "f.v").string();
    const std::vector<std::string> make = {TARNWICK_EXE, "-n", "-silent", "--set", "I=20", "--set", "J=100", design};
    ASSERT_EQ(RunProgram(make, work, {{"DISPLAY", ""}}).exitStatus, 0);
    int terminal = -1;
    int terminalSide = -1;
    ASSERT_EQ(::openpty(&terminal, &terminalSide, nullptr, nullptr, nullptr), 0);
    ::fcntl(terminal, F_SETFD, FD_CLOEXEC);
    ::fcntl(terminalSide, F_SETFD, FD_CLOEXEC);
    int report[2];
    ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
    ::fcntl(report[1], F_SETPIPE_SZ, 4096);
    ::fcntl(report[1], F_SETFL, O_NONBLOCK);
    while (::write(report[1], "x", 1) == 1) {}
    ::fcntl(report[1], F_SETFL, 0);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, work.c_str());
    posix_spawn_file_actions_adddup2(&actions, report[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, terminalSide, STDERR_FILENO);
    std::vector<std::string> args = {TARNWICK_EXE, "--simulate-only", design};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(report[1]);
    ::close(terminalSide);

    // Its phases on the terminal, read as they come: a pseudo-terminal holds only a few KiB.
    std::string shown;
    const std::string inReport = std::to_string(SYS_write) + " 0x1 ";
    const bool waiting = WaitUntil(
        [&] {
            char buffer[4096];
            pollfd ready{terminal, POLLIN, 0};
            while (::poll(&ready, 1, 0) == 1 && (ready.revents & POLLIN) != 0) {
                const ssize_t got = ::read(terminal, buffer, sizeof buffer);
                if (got <= 0)
                    break;
                shown.append(buffer, size_t(got));
            }
            return ProcessGone(pid)
                || ReadFileText("/proc/" + std::to_string(pid) + "/syscall").rfind(inReport, 0) == 0;
        },
        std::chrono::seconds(300));
    EXPECT_TRUE(waiting && !ProcessGone(pid)) << shown;
    DesignLock lock;
    std::string error;
    EXPECT_EQ(lock.Acquire(DesignLock::PathFor(designs.string()), 0, {}, error), DesignLock::Result::Busy);
    lock.Release();

    std::string out;
    char buffer[4096];
    for (ssize_t got; (got = ::read(report[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, size_t(got));
    ::close(report[0]);
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, size_t(got));
    ::close(terminal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;
    EXPECT_NE(out.find("0 mismatches"), std::string::npos)
        << out.substr(std::min(out.size(), out.find_first_not_of('x')));
    for (const char* phase : {"s  design simulation\r\n", "s  design simulation: ", " edges (",
                              "s  interleaver -> deinterleaver pair\r\n"})
        EXPECT_NE(shown.find(phase), std::string::npos) << shown;
}

} // namespace
