// Runs the built tarnwick on a stand-in wizard and checks what it prints and how it ends.
#include "platform/run_stamp.h"
#include "tests/tarnwick/tarnwick_process.h"

#include "platform/host_message.h"
#include "tests/support/design_folders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TarnwickRun : public DesignFoldersTest {
protected:
    // tarnwick with the stand-in wizard; the stand-in ends with status and sends messages.
    ProcessRun Run(std::vector<std::string> args, const std::string& status, const std::string& messages = "")
    {
        args.insert(args.begin(), {TARNWICK_EXE, "--zorvex", STAND_IN_WIZARD});
        return RunProgram(args, work,
                          {{"STAND_IN_STATUS", status},
                           {"STAND_IN_MESSAGES", messages},
                           {"STAND_IN_ARGS", (root / "args.txt").string()}});
    }

    std::vector<std::string> WizardArgs() const
    {
        std::ifstream in(root / "args.txt");
        std::stringstream text;
        text << in.rdbuf();
        return Lines(text.str());
    }

    std::string Design(const std::string& name = "f.vhd") const { return (designs / name).string(); }
};

TEST_F(TarnwickRun, FinishedRunShowsEachCornerTheOutcomeAndTheFiles)
{
    // The stand-in wizard's .cnx holds no module to make a design file of.
    const std::string kNoModule = "the retrieval information names no module and its ports";
    const std::string kNoInclude = "a function prototype in the host's own language, which tarnwick does not write";
    const ProcessRun run = Run({"-n", "-symbol", "-p", "2", "-x", "640", "-y", "-20", Design()}, "0",
                               "1034 640 480;1034 -3 7");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string id = std::to_string(run.pid);
    // On the working copy beside the design, in which the wizard's folder is its current one.
    EXPECT_EQ(WizardArgs(), (std::vector<std::string>{STAND_IN_WIZARD, "-n", "-h" + id, "-symbol", "-p2", "-x640",
                                                      "-y-20", "f.vhd"}));
    const std::string d = designs.string() + "/";
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                  "host " + id + ": starting " + STAND_IN_WIZARD + " -n -h" + id
                                      + " -symbol -p2 -x640 -y-20 f.vhd (on a working copy of " + Design() + ")",
                                  "page exit: corner at (640, 480)",
                                  "page exit: corner at (-3, 7)",
                                  "wizard ended with exit status 0: finished: the variation was written",
                                  "files the wizard writes:",
                                  "  present  " + d + "f.cnx  (retrieval information)",
                                  "  present  ./f.vec  (simulation vectors)",
                                  "files tarnwick creates from them:",
                                  "  not made " + d + "f.vhd  (design file): " + kNoModule,
                                  "  not made " + d + "f.inc  (include file): " + kNoInclude,
                                  "  not made " + d + "f.cmp  (component declaration): " + kNoModule,
                                  "  not made " + d + "f.sym  (symbol file): tarnwick does not make it",
                              }));
    // With the pages open the design stays locked, and the user is told.
    EXPECT_EQ(run.err, "tarnwick: " + Design() + " stays locked while the pages are open; other runs on it wait\n");
}

TEST_F(TarnwickRun, ExitStatusIsTheWizardsWithItsMeaning)
{
    struct Case {
        std::string status;
        int expectedExit;
        std::string outcome;
        bool written;
    };
    const std::vector<Case> cases = {
        {"0", 0, "wizard ended with exit status 0: finished: the variation was written", true},
        {"1", 1, "wizard ended with exit status 1: start-up failed", false},
        {"2", 2, "wizard ended with exit status 2: cancelled: the design's files are as they were", false},
        {"3", 3, "wizard ended with exit status 3: back to the host's pages: the variation was written", true},
        {"9", 9, "wizard ended with exit status 9: the wizard ended abnormally", false},
        {"kill", 128 + 9, "wizard ended with signal 9: the wizard ended abnormally", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        fs::remove(designs / "f.cnx");
        fs::remove(work / "f.vec");
        const ProcessRun run = Run({"-silent", Design()}, c.status, "1034 10 20");
        EXPECT_EQ(run.exitStatus, c.expectedExit) << run.err;
        EXPECT_TRUE(Contains(run.out, "page exit: corner at (10, 20)\n")) << run.out;
        EXPECT_TRUE(Contains(run.out, c.outcome + "\n")) << run.out;
        const std::string mark = c.written ? "  present  " : "  absent   ";
        EXPECT_TRUE(Contains(run.out, mark + designs.string() + "/f.cnx")) << run.out;
        EXPECT_TRUE(Contains(run.out, mark + "./f.vec")) << run.out;
        EXPECT_EQ(WizardArgs().back(), Design());
        EXPECT_EQ(WizardArgs()[WizardArgs().size() - 2], "-silent");
    }
}

TEST_F(TarnwickRun, CancelLeavesEveryFileOfTheDesignAsItWas)
{
    // The wizard deletes the .cnx on a cancel; the design's own, reopened or started anew, stays.
    for (const std::vector<std::string>& args : {std::vector<std::string>{Design()},
                                                 std::vector<std::string>{"-n", "--json", Design()}}) {
        SCOPED_TRACE(args.front());
        std::ofstream(designs / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n";
        std::ofstream(designs / "f.vhd") << "older design\n";
        std::ofstream(work / "f.vec") << "older vectors\n";
        const std::map<std::string, std::string> before = FolderFiles({designs, work});
        const ProcessRun run = Run(args, "2");
        EXPECT_EQ(run.exitStatus, 2) << run.err;
        EXPECT_EQ(FolderFiles({designs, work}), before);
        EXPECT_TRUE(Contains(run.out, args.size() == 1 ? "cancelled: the design's files are as they were"
                                                       : "\"changed\": []"))
            << run.out;
    }
}

TEST_F(TarnwickRun, PagesWithoutASessionBusAreToldNotToStartOne)
{
    // A bus daemon the pages auto-started would outlive them; a bus the desktop runs is kept.
    const fs::path wizard = root / "bus_wizard.sh";
    const fs::path seen = root / "bus.txt";
    std::ofstream(wizard) << "#!/bin/sh\nprintf '%s' \"$DBUS_SESSION_BUS_ADDRESS\" >'" << seen.string() << "'\nexit 2\n";
    fs::permissions(wizard, fs::perms::owner_all);
    const std::pair<std::string, std::string> cases[] = {{"", "disabled:"}, {"unix:path=/run/bus", "unix:path=/run/bus"}};
    for (const auto& [bus, given] : cases) {
        const ProcessRun run = RunProgram({TARNWICK_EXE, "--zorvex", wizard.string(), "-n", Design()}, work,
                                          {{"DBUS_SESSION_BUS_ADDRESS", bus}, {"XDG_RUNTIME_DIR", ""}});
        EXPECT_EQ(run.exitStatus, 2) << run.err;
        EXPECT_EQ(ReadFileText(seen), given);
    }
}

TEST_F(TarnwickRun, PhasesAreShownOnATerminalOnly)
{
    // tarnwick's stderr on the terminal script makes, its stdout away: what script prints is
    // what the terminal showed.
    const std::string run = "'" + std::string(TARNWICK_EXE) + "' --zorvex '" + STAND_IN_WIZARD + "' -n -silent ";
    const std::pair<std::string, bool> cases[] = {
        {run + "'" + Design() + "' >/dev/null", true},
        {run + "--json '" + Design() + "' >/dev/null", false},
        {run + "'" + Design() + "' >/dev/null 2>'" + (root / "err.txt").string() + "'", false},
    };
    for (const auto& [command, shown] : cases) {
        SCOPED_TRACE(command);
        const ProcessRun terminal = RunProgram({"/usr/bin/script", "-qec", command, "/dev/null"}, work);
        EXPECT_EQ(terminal.exitStatus, 0) << terminal.err;
        const std::regex phases("tarnwick: +[0-9]+\\.[0-9] s  wizard\r\ntarnwick: +[0-9]+\\.[0-9] s  install\r\n");
        EXPECT_EQ(std::regex_match(terminal.out, phases), shown) << terminal.out;
        if (!shown) {
            EXPECT_EQ(terminal.out, "");
        }
    }
    EXPECT_EQ(ReadFileText(root / "err.txt"), "");
}

TEST_F(TarnwickRun, MessagesThatAreNoPageExitAreShownAsIgnored)
{
    const ProcessRun run = Run({Design()}, "2", "1034 1 2;1024 5 6;\x01junk;1034 3 4");
    EXPECT_EQ(run.exitStatus, 2);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 5u) << run.out;
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 5),
              (std::vector<std::string>{"page exit: corner at (1, 2)",
                                        "ignored a message that is not a page exit: \"1024 5 6\"",
                                        "ignored a message that is not a page exit: \"\\x01junk\"",
                                        "page exit: corner at (3, 4)"}));
}

TEST_F(TarnwickRun, WizardThatCannotBeStartedEndsWithTheStatusOfWhy)
{
    // A program without any execute permission, which not even a privileged user may start.
    const fs::path notExecutable = root / "not-executable";
    std::ofstream(notExecutable) << "#!/bin/sh\n";
    fs::permissions(notExecutable, fs::perms::owner_read | fs::perms::owner_write);
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        {(root / "no-such-wizard").string(), 127, "No such file or directory"},
        {notExecutable.string(), 126, "Permission denied"},
    };
    for (const auto& [wizard, status, reason] : cases) {
        SCOPED_TRACE(wizard);
        const ProcessRun run = RunProgram({TARNWICK_EXE, "--zorvex", wizard, Design()}, work);
        EXPECT_EQ(run.exitStatus, status);
        EXPECT_TRUE(Contains(run.err, "cannot start the wizard " + wizard + ": " + reason)) << run.err;
        EXPECT_FALSE(Contains(run.out, "wizard ended")) << run.out;
    }
}

TEST_F(TarnwickRun, WizardBesideTarnwickIsTheDefault)
{
    fs::copy_file(TARNWICK_EXE, root / "tarnwick");
    fs::copy_file(STAND_IN_WIZARD, root / "zorvex");
    fs::permissions(root / "tarnwick", fs::perms::owner_all);
    fs::permissions(root / "zorvex", fs::perms::owner_all);
    const ProcessRun run = RunProgram({(root / "tarnwick").string(), "-n", Design()}, work,
                                      {{"STAND_IN_STATUS", "2"}, {"STAND_IN_ARGS", (root / "args.txt").string()}});
    EXPECT_EQ(run.exitStatus, 2) << run.err;
    ASSERT_FALSE(WizardArgs().empty());
    EXPECT_EQ(WizardArgs().front(), (root / "zorvex").string());
}

TEST_F(TarnwickRun, RefusedCommandLineStartsNothingAndEndsWithStatus125)
{
    // The wizard reads its arguments back from one line in which a double quote ends a quoted
    // argument, so an argument holding one would reach it as other arguments: here a second design.
    const std::string split = Design("x\" " + Design("victim.v") + " -n");
    const std::string cannotCarry = "': its command line cannot carry a double quote\n";
    // A bad command line is one line naming the problem and a pointer to --help, not the usage.
    const std::string hint = "Try 'tarnwick --help' for more information.\n";
    const std::string nameRule = "; a design's name must be an identifier of both VHDL and Verilog: an ASCII letter "
                                 "first, then letters, digits and single underscores, not ending with an underscore, "
                                 "and no reserved word of either language\n";
    struct Case {
        std::vector<std::string> args;
        std::string message;
        bool usageError;
    };
    const std::vector<Case> cases = {
        {{"-q", Design()}, "tarnwick: unknown option -q\n", true},
        {{"-q\n", Design()}, "tarnwick: unknown option -q\\n\n", true},
        {{"--set", "I=41", Design()}, "tarnwick: Valid I : 2 - 40\n", true},
        {{"-silent"}, "tarnwick: no design file given\n", true},
        {{split}, "tarnwick: cannot start the wizard with '" + split + cannotCarry, false},
        {{"--zorvex", STAND_IN_WIZARD + std::string("\""), Design()},
         "tarnwick: cannot start the wizard with '" + std::string(STAND_IN_WIZARD) + "\"" + cannotCarry, false},
        // A design's name is its entity's and module's: one that either language refuses is refused
        // before the wizard runs or the simulation starts.
        {{"-silent", Design("rx-deint.vhd")},
         "tarnwick: the design's name \"rx-deint\" cannot name its entity and module: \"rx-deint\" is not a VHDL-93 "
         "basic identifier: it holds \"-\", which is not an ASCII letter, a digit or an underscore" + nameRule,
         false},
        {{"-silent", Design("wire.vhd")},
         "tarnwick: the design's name \"wire\" cannot name its entity and module: \"wire\" is a keyword of "
         "Verilog-2001" + nameRule,
         false},
        {{"--simulate-only", Design("Std.v")},
         "tarnwick: the design's name \"Std\" cannot name its entity and module: \"Std\" is a name that the VHDL "
         "files take from their libraries" + nameRule,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        std::vector<std::string> args{TARNWICK_EXE, "--zorvex", STAND_IN_WIZARD};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessRun run =
            RunProgram(args, work, {{"STAND_IN_STATUS", "0"}, {"STAND_IN_ARGS", (root / "args.txt").string()}});
        EXPECT_EQ(run.exitStatus, 125);
        if (c.usageError)
            EXPECT_EQ(run.err, c.message + hint);
        else
            EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), c.message);
        EXPECT_FALSE(Contains(run.err, "usage: tarnwick")) << run.err;
        EXPECT_EQ(Contains(run.err, hint), c.usageError) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(fs::exists(root / "args.txt"));
    }
}

TEST_F(TarnwickRun, HelpAndVersionGoToStandardOutputWithStatus0)
{
    const ProcessRun version = RunProgram({TARNWICK_EXE, "--version"}, work);
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "tarnwick " ZORVEX_VERSION "\n");
    EXPECT_EQ(version.err, "");
    // The whole usage, from its first line to its last.
    const ProcessRun help = RunProgram({TARNWICK_EXE, "-n", "--help", "-q"}, work);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.substr(0, help.out.find('\n') + 1), "usage: tarnwick [options] DESIGN\n");
    EXPECT_TRUE(help.out.ends_with("\n  127  the wizard was not found\n")) << help.out;
    EXPECT_EQ(help.err, "");
}

TEST_F(TarnwickRun, ASocketNameTakenByAnotherProcessIsLeftForAnotherId)
{
    // The child takes the socket name of the host id tarnwick would have, its own process id, and
    // keeps the socket open across exec: tarnwick listens under another id and tells the wizard so.
    const std::string argsFile = (root / "args.txt").string();
    const std::string workDir = work.string();
    const std::string design = Design();
    const char* const argv[] = {TARNWICK_EXE, "--zorvex", STAND_IN_WIZARD, "-silent", design.c_str(), nullptr};
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        sockaddr_un address{};
        const socklen_t length = HostSocketAddress(int(::getpid()), address);
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        const int null = ::open("/dev/null", O_WRONLY);
        if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || null < 0
            || ::dup2(null, 1) < 0 || ::chdir(workDir.c_str()) != 0
            || ::setenv("STAND_IN_ARGS", argsFile.c_str(), 1) != 0)
            ::_exit(99);
        ::execv(TARNWICK_EXE, const_cast<char* const*>(argv));
        ::_exit(98);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string args = ReadFileText(argsFile);
    EXPECT_TRUE(Contains(args, "-h")) << args;
    EXPECT_FALSE(Contains(args, "-h" + std::to_string(pid) + "\n")) << args;
}

TEST_F(TarnwickRun, MessagesFromAnyProcessButTheWizardAreIgnored)
{
    const fs::path go = root / "go";
    ProcessRun run = StartProgram({TARNWICK_EXE, "--zorvex", STAND_IN_WIZARD, Design()}, work,
                                  {{"STAND_IN_STATUS", "2"},
                                   {"STAND_IN_MESSAGES", "1034 1 2"},
                                   {"STAND_IN_ARGS", (root / "args.txt").string()},
                                   {"STAND_IN_WAIT_FOR", go.string()}});
    ASSERT_GT(run.pid, 0);
    // tarnwick listens before it starts the wizard, and the stand-in records its arguments first
    // and then waits for the go-ahead before it sends.
    for (int tries = 0; tries < 1000 && !fs::exists(root / "args.txt"); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    SocketHostMessenger().PostPageExit(int(run.pid), -5, 99999);
    { std::ofstream goAhead(go); }
    FinishProgram(run, work);
    EXPECT_EQ(run.exitStatus, 2) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 3u) << run.out;
    // The datagrams queue in the order sent: the test's before the wizard's.
    const std::string injected =
        "ignored a message from process " + std::to_string(::getpid()) + ", which is not the wizard: \"1034 -5 99999\"";
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 3),
              (std::vector<std::string>{injected, "page exit: corner at (1, 2)"}));
}

TEST_F(TarnwickRun, ControlCharactersInPathsAreShownEscaped)
{
    // A design name that would otherwise print a line of its own, claiming the run was finished.
    // No entity can bear it, so the run makes no design files, which leaves the name unchecked.
    const std::string name = "f\nwizard ended with exit status 0: finished: the variation was written\n\\.vhd";
    const std::string shown = "f\\nwizard ended with exit status 0: finished: the variation was written\\n\\\\";
    const ProcessRun run = Run({"-n", "--no-design-files", Design(name)}, "2");
    EXPECT_EQ(run.exitStatus, 2) << run.err;
    const std::string id = std::to_string(run.pid);
    const std::string d = designs.string() + "/";
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                  "host " + id + ": starting " + STAND_IN_WIZARD + " -n -h" + id + " $'" + shown
                                      + ".vhd' (on a working copy of " + d + shown + ".vhd)",
                                  "wizard ended with exit status 2: cancelled: the design's files are as they were",
                                  "files the wizard writes:",
                                  "  absent   " + d + shown + ".cnx  (retrieval information)",
                                  "  absent   ./" + shown + ".vec  (simulation vectors)",
                                  "files the host would create from them (tarnwick does not create them):",
                                  "  absent   " + d + shown + ".vhd  (design file)",
                                  "  absent   " + d + shown + ".inc  (include file)",
                                  "  absent   " + d + shown + ".cmp  (component declaration)",
                              }));
}

// The stand-in's record of itself: its process id, then one line per signal.
std::vector<std::string> SelfRecord(const fs::path& path) { return Lines(ReadFileText(path)); }

TEST_F(TarnwickRun, EndingSignalsReachTheWizardAndEndTarnwickLeavingTheDesignAsItWas)
{
    std::ofstream(designs / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"4\"\n";
    std::ofstream(work / "f.vec") << "older vectors\n";
    const std::map<std::string, std::string> before = FolderFiles({designs, work});
    const fs::path self = root / "self.txt";
    const struct {
        int signal;
        bool tarnwickCanClean; // SIGKILL leaves tarnwick no moment to act
    } cases[] = {{SIGTERM, true}, {SIGINT, true}, {SIGHUP, true}, {SIGKILL, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(strsignal(c.signal));
        fs::remove(self);
        // The stand-in waits for a go-ahead that never comes; left alone, it would write the
        // design's files after twenty seconds, well after the wizard is looked for below.
        ProcessRun run = StartProgram({TARNWICK_EXE, "--zorvex", STAND_IN_WIZARD, "--set", "I=20", Design()}, work,
                                      {{"STAND_IN_STATUS", "0"},
                                       {"STAND_IN_SELF", self.string()},
                                       {"STAND_IN_WAIT_FOR", (root / "never").string()},
                                       {"STAND_IN_WAIT_SECONDS", "20"}});
        ASSERT_GT(run.pid, 0);
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(self); })) << "the wizard did not start";
        const pid_t wizard = pid_t(std::stol(SelfRecord(self).at(0)));
        ASSERT_EQ(::kill(run.pid, c.signal), 0);
        FinishProgram(run, work);
        EXPECT_EQ(run.endSignal, c.signal) << run.out << run.err;
        EXPECT_TRUE(WaitUntil([&] { return ProcessGone(wizard); })) << "the wizard outlived tarnwick";
        if (c.tarnwickCanClean) {
            EXPECT_TRUE(Contains(run.out, "wizard ended with signal " + std::to_string(c.signal) + ":")) << run.out;
            EXPECT_TRUE(Contains(run.err, "before the design's files were installed")) << run.err;
            // No working folder is left beside the design.
            EXPECT_EQ(FolderFiles({designs, work}), before);
        } else {
            EXPECT_EQ(ReadFileText(designs / "f.cnx"), before.at((designs / "f.cnx").string()));
            EXPECT_EQ(ReadFileText(work / "f.vec"), before.at((work / "f.vec").string()));
        }
    }
}

TEST_F(TarnwickRun, WizardGetsTheDefaultActionOfSignalsTarnwickWasStartedIgnoring)
{
    const fs::path self = root / "self.txt";
    const std::vector<std::string> ignoring = {"/bin/sh", "-c", "trap '' INT QUIT TERM HUP PIPE; exec \"$@\"", "sh"};
    // The way the signals are ignored here reaches a program that is started.
    std::vector<std::string> direct = ignoring;
    direct.push_back(STAND_IN_WIZARD);
    ASSERT_EQ(RunProgram(direct, work, {{"STAND_IN_STATUS", "2"}, {"STAND_IN_SELF", self.string()}}).exitStatus, 2);
    const std::vector<std::string> ignored = SelfRecord(self);
    ASSERT_EQ(std::vector<std::string>(ignored.begin() + 1, ignored.end()),
              (std::vector<std::string>{"INT ignored unblocked", "QUIT ignored unblocked", "TERM ignored unblocked",
                                        "HUP ignored unblocked", "PIPE ignored unblocked"}));

    fs::remove(self);
    std::vector<std::string> args = ignoring;
    args.insert(args.end(), {TARNWICK_EXE, "--zorvex", STAND_IN_WIZARD, "-silent", Design()});
    const ProcessRun run = RunProgram(args, work, {{"STAND_IN_STATUS", "2"}, {"STAND_IN_SELF", self.string()}});
    EXPECT_EQ(run.exitStatus, 2) << run.err;
    const std::vector<std::string> record = SelfRecord(self);
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(std::vector<std::string>(record.begin() + 1, record.end()),
              (std::vector<std::string>{"INT default unblocked", "QUIT default unblocked", "TERM default unblocked",
                                        "HUP default unblocked", "PIPE default unblocked"}));
}

TEST_F(TarnwickRun, ReportThatCannotBeWrittenEndsWithStatus125)
{
    const struct {
        std::vector<std::string> args;
        const char* redirection;
    } cases[] = {
        {{"--json", Design()}, ">/dev/full"},
        {{Design()}, ">/dev/full"},
        {{Design()}, ">&-"},
        {{"--json", Design()}, ">&-"},
        {{"--help"}, ">/dev/full"},
        {{"--version"}, ">/dev/full"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.redirection);
        std::vector<std::string> args{"/bin/sh", "-c", std::string("exec \"$@\" ") + c.redirection, "sh",
                                      TARNWICK_EXE, "--zorvex", STAND_IN_WIZARD, "-silent"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessRun run = RunProgram(args, work, {{"STAND_IN_STATUS", "0"}});
        EXPECT_EQ(run.exitStatus, 125);
        EXPECT_TRUE(Contains(run.err, "tarnwick: cannot write the report to standard output: ")) << run.err;
    }
}

} // namespace

TEST_F(TarnwickRun, WhatKilledRunsLeftBesideTheDesignIsRemovedAndALiveRunsIsKept)
{
    // 999999999 is past any process id the kernel hands out; the test's own process is alive.
    const std::string alive = RunStamp::OfThisProcess().Text();
    const fs::path gone = designs / ".tarnwick-999999999-5-a1b2c3";
    fs::create_directories(gone / "inner");
    fs::permissions(gone, fs::perms::owner_all);
    std::ofstream(designs / ".tarnwick-kept-999999999-5-Ab1234") << "old settings";
    fs::create_directories(designs / (".tarnwick-" + alive + "-x9y8z7"));
    fs::permissions(designs / (".tarnwick-" + alive + "-x9y8z7"), fs::perms::owner_all);
    std::ofstream(designs / (".tarnwick-kept-" + alive + "-Ab1234")) << "kept by a live run";
    std::ofstream(designs / ".tarnwick-notes") << "not a run's";
    ASSERT_EQ(Run({"-n", "-silent", Design()}, "0").exitStatus, 0);
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_FALSE(fs::exists(designs / ".tarnwick-kept-999999999-5-Ab1234"));
    EXPECT_TRUE(fs::exists(designs / (".tarnwick-" + alive + "-x9y8z7")));
    EXPECT_TRUE(fs::exists(designs / (".tarnwick-kept-" + alive + "-Ab1234")));
    EXPECT_TRUE(fs::exists(designs / ".tarnwick-notes"));
}

TEST_F(TarnwickRun, AStoredNumberOutOfRangeRefusesAChangedVariationBeforeTheWizard)
{
    std::ofstream(designs / "f.cnx") << "PRIVATE: CHARACTERISTIC_I NUMERIC \"41\"\n";
    const std::map<std::string, std::string> before = FolderFiles({designs, work});
    const ProcessRun run = Run({"-silent", "--set", "J=3", Design()}, "0");
    EXPECT_EQ(run.exitStatus, 125);
    EXPECT_TRUE(Contains(run.err, "Valid I : 2 - 40")) << run.err;
    EXPECT_FALSE(fs::exists(root / "args.txt")) << "the wizard was started";
    EXPECT_EQ(FolderFiles({designs, work}), before);
}
