#include "platform/child_process.h"
#include "platform/design_lock.h"
#include "platform/process.h"
#include "platform/regular_file.h"
#include "tests/platform/environment_guard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/zorvex-process-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits, a bounded time, until check holds.
template <typename Check>
bool Eventually(Check check)
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (check())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Children of this process that have ended but were never waited for.
int ZombieChildren()
{
    int zombies = 0;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return 0;
    const std::string self = std::to_string(::getpid());
    while (const dirent* entry = ::readdir(proc)) {
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (comm) state ppid ...: the command name may hold blanks, so read after its ')'.
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        std::string state;
        std::string parent;
        fields >> state >> parent;
        if (parent == self && state == "Z")
            ++zombies;
    }
    ::closedir(proc);
    return zombies;
}

// Puts a directory first on the search path for the life of the object.
class SearchPathFront {
public:
    explicit SearchPathFront(const std::string& directory, bool only = false)
    {
        const char* old = std::getenv("PATH");
        saved_ = old != nullptr ? old : "";
        ::setenv("PATH", only ? directory.c_str() : (directory + ":" + saved_).c_str(), 1);
    }
    ~SearchPathFront() { ::setenv("PATH", saved_.c_str(), 1); }

private:
    std::string saved_;
};

} // namespace

TEST(FileExists, OnlyReadableRegularFilesExist)
{
    TempDir dir;
    WriteFile(dir.File("guide.pdf"), "%PDF");
    WriteFile(dir.File("empty"), "");
    ::mkdir(dir.File("folder").c_str(), 0755);
    ::mkfifo(dir.File("pipe").c_str(), 0644);
    EXPECT_TRUE(FileExists(dir.File("guide.pdf")));
    EXPECT_TRUE(FileExists(dir.File("empty")));
    EXPECT_FALSE(FileExists(dir.File("missing.pdf")));
    EXPECT_FALSE(FileExists(dir.File("folder")));
    // A named pipe without a writer would hold up a plain open for reading.
    EXPECT_FALSE(FileExists(dir.File("pipe")));
    EXPECT_FALSE(FileExists(""));
}

TEST(ReadRegularFile, FileOfTheLimitIsReadWholeAndALargerOneIsRefused)
{
    TempDir dir;
    // The wizard's bound for retrieval information.
    const size_t limit = size_t(16) << 20;
    const struct {
        const char* what;
        size_t size;
        bool read;
    } cases[] = {
        {"exactly the limit", limit, true},
        {"one byte more", limit + 1, false},
    };
    for (const auto& c : cases) {
        // Lines that differ, so that a text cut short or read twice cannot look whole.
        std::string text;
        for (int line = 0; text.size() < c.size; ++line)
            text += "PRIVATE: LINE NUMERIC \"" + std::to_string(line) + "\"\n";
        text.resize(c.size);
        WriteFile(dir.File("f.cnx"), text);
        std::string contents = "left from before";
        EXPECT_EQ(ReadRegularFile(dir.File("f.cnx"), limit, contents), c.read) << c.what;
        EXPECT_TRUE(contents == (c.read ? text : std::string())) << c.what << ": " << contents.size() << " bytes";
    }
}

TEST(ExecutablePath, IsTheRunningTestProgram)
{
    const std::string path = ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "platform_tests");
    EXPECT_TRUE(FileExists(path));
}

TEST(StartDocumentViewer, PassesThePathAsOneArgumentWithoutAShell)
{
    TempDir dir;
    const std::string record = dir.File("record");
    // A stand-in viewer that writes down how many arguments it got and the first one.
    WriteFile(dir.File("xdg-open"), "#!/bin/sh\nprintf '%s\\n%s' \"$#\" \"$1\" > '" + record
                                        + ".part'\nmv '" + record + ".part' '" + record + "'\n");
    ::chmod(dir.File("xdg-open").c_str(), 0755);
    const SearchPathFront path(dir.path());

    const std::string guide = dir.path() + "/my docs/it's a \"guide\"; $(touch " + dir.File("injected")
                              + ") & `id` *.pdf";
    ASSERT_TRUE(StartDocumentViewer(guide));
    ASSERT_TRUE(Eventually([&] { return FileExists(record); }));
    EXPECT_EQ(ReadFile(record), "1\n" + guide);
    EXPECT_FALSE(FileExists(dir.File("injected")));
    // The viewer is not waited for, yet once it has ended it leaves no zombie behind.
    EXPECT_TRUE(Eventually([] { return ZombieChildren() == 0; }));
}

TEST(StartDocumentViewer, FailsWhenNoViewerIsInstalled)
{
    TempDir dir;
    const SearchPathFront path(dir.path(), true);
    EXPECT_FALSE(StartDocumentViewer("/tmp/guide.pdf"));
}

// /dev/null opened as the lowest free descriptor from number on, inherited by every child that
// does not close it.
int OpenWithoutCloseOnExec(int number)
{
    const int first = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int moved = ::fcntl(first, F_DUPFD, number);
    ::close(first);
    return moved;
}

// A shell command that prints which of the descriptors 50 and 51 it has and the design lock
// variable. The test process holds both open without close-on-exec.
const std::string kDescriptorProbe = "for fd in 50 51; do [ -e /proc/self/fd/$fd ] && printf '%s ' $fd; done; "
                                     "printf 'lock=%s' \"${ZORVEX_DESIGN_LOCK_FD-none}\"";

TEST(ChildProcess, OnlyNamedDescriptorsAreInherited)
{
    TempDir dir;
    const std::string record = dir.File("record");
    const int lock = OpenWithoutCloseOnExec(50);
    const int other = OpenWithoutCloseOnExec(51);
    ASSERT_EQ(lock, 50);
    ASSERT_EQ(other, 51);
    const EnvironmentGuard handedDown(EnvironmentGuard::Values{{kInheritedDesignLockVariable, "50"}});

    WriteFile(dir.File("xdg-open"), "#!/bin/sh\n{ " + kDescriptorProbe + "; } > '" + record + ".part'\nmv '" + record
                                        + ".part' '" + record + "'\n");
    ::chmod(dir.File("xdg-open").c_str(), 0755);
    const SearchPathFront path(dir.path());

    const struct {
        const char* what;
        std::function<bool()> start;
        std::string seen;
    } cases[] = {
        {"a child that keeps descriptor 50",
         [&] {
             ChildOptions options;
             options.program = "sh";
             options.args = {"sh", "-c", "{ " + kDescriptorProbe + "; } > '" + record + "'"};
             options.keptFds = {lock};
             ChildProcess child;
             std::string reason;
             StartFailure failure;
             int status = 0;
             return child.Start(options, reason, failure) && child.Wait(status) && status == 0;
         },
         "50 lock=50"},
        // The wizard hands its lock down to nobody: the viewer may outlive it.
        {"the document viewer", [&] { return StartDocumentViewer("/tmp/guide.pdf"); }, "lock=none"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(record);
        ASSERT_TRUE(c.start());
        ASSERT_TRUE(Eventually([&] { return FileExists(record); }));
        EXPECT_EQ(ReadFile(record), c.seen);
    }
    ::close(lock);
    ::close(other);
}

TEST(ChildProcess, ChildThatOutlivesItsLimitIsEnded)
{
    const struct {
        const char* what;
        std::string script;
        bool timedOut;
        int signal; // 0: the child exited with status 0
    } cases[] = {
        {"ends in time", "echo ready", false, 0},
        {"ends on SIGTERM", "echo ready; exec sleep 30", true, SIGTERM},
        // A child that ignores SIGTERM is killed after the grace.
        {"ignores SIGTERM", "trap '' TERM; echo ready; exec sleep 30", true, SIGKILL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int output[2];
        ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
        ChildOptions options;
        options.program = "/bin/sh";
        options.args = {"sh", "-c", c.script};
        options.standardOutput = output[1];
        ChildProcess child;
        std::string reason;
        StartFailure failure;
        const bool started = child.Start(options, reason, failure);
        ::close(output[1]);
        // The limit counts from when the shell has set itself up, however slow the machine.
        char ready[6] = {};
        const bool said = ::read(output[0], ready, sizeof ready) == ssize_t(sizeof ready);
        ::close(output[0]);
        ASSERT_TRUE(started) << reason;
        ASSERT_TRUE(said);

        const auto before = std::chrono::steady_clock::now();
        int status = -1;
        bool timedOut = !c.timedOut;
        EXPECT_TRUE(child.WaitWithin(std::chrono::milliseconds(c.timedOut ? 200 : 20000), status, timedOut));
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(20));
        EXPECT_EQ(timedOut, c.timedOut);
        EXPECT_EQ(child.pid(), -1);
        if (c.signal == 0) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status)) << status;
            EXPECT_EQ(WTERMSIG(status), c.signal);
        }
    }
}

TEST(ChildProcess, MissingProgramIsToldFromOneThatCannotRun)
{
    TempDir dir;
    // No execute permission at all, which not even a privileged user may start.
    WriteFile(dir.File("not-executable"), "#!/bin/sh\n");
    ::chmod(dir.File("not-executable").c_str(), 0644);
    // Executable but neither a program nor a script with an interpreter line.
    WriteFile(dir.File("not-a-program"), "not a program\n");
    ::chmod(dir.File("not-a-program").c_str(), 0755);
    const SearchPathFront path(dir.path(), true);
    const struct {
        std::string program;
        std::string workingDirectory;
        StartFailure failure;
        std::string reason;
    } cases[] = {
        {dir.File("missing"), "", StartFailure::NotFound, "No such file or directory"},
        {"missing", "", StartFailure::NotFound, "No such file or directory"},
        {dir.File("not-executable"), "", StartFailure::NotStartable, "Permission denied"},
        {"not-executable", "", StartFailure::NotStartable, "Permission denied"},
        {dir.File("not-a-program"), "", StartFailure::NotStartable, "Exec format error"},
        // The program is there; the folder it should start in is not.
        {"/bin/true", dir.File("missing"), StartFailure::NotStartable, "No such file or directory"},
    };
    for (const bool supervised : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.program + " in " + c.workingDirectory + (supervised ? ", supervised" : ""));
            ChildOptions options;
            options.program = c.program;
            options.args = {c.program};
            options.workingDirectory = c.workingDirectory;
            options.supervised = supervised;
            ChildProcess child;
            std::string reason;
            StartFailure failure =
                c.failure == StartFailure::NotFound ? StartFailure::NotStartable : StartFailure::NotFound;
            EXPECT_FALSE(child.Start(options, reason, failure));
            EXPECT_EQ(failure, c.failure);
            EXPECT_EQ(reason, c.reason);
            EXPECT_EQ(child.pid(), -1);
        }
    }
    EXPECT_EQ(ZombieChildren(), 0);
}

// Whether the process has ended (a zombie nobody collects has ended too).
bool Ended(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    std::istringstream fields(line.substr(line.rfind(')') + 1));
    std::string state;
    fields >> state;
    return state == "Z" || state == "X";
}

// Starts, supervised, a shell that leaves a process running in its group, writes that process's
// id into pidFile and then runs then.
bool StartLeavingAProcess(ChildProcess& child, const std::string& pidFile, const std::string& then)
{
    ChildOptions options;
    options.program = "/bin/sh";
    options.args = {"sh", "-c", "sleep 60 & echo $! > '" + pidFile + "'; " + then};
    options.supervised = true;
    std::string reason;
    StartFailure failure;
    return child.Start(options, reason, failure);
}

// The id the shell wrote, once it has.
pid_t LeftProcess(const std::string& pidFile)
{
    pid_t pid = 0;
    Eventually([&] { return (std::istringstream(ReadFile(pidFile)) >> pid) && pid > 0; });
    return pid;
}

TEST(ChildProcess, NothingOfASupervisedGroupOutlivesTheProgramOrTheParent)
{
    TempDir dir;
    {
        SCOPED_TRACE("the program exits with 3");
        ChildProcess child;
        ASSERT_TRUE(StartLeavingAProcess(child, dir.File("exits"), "exit 3"));
        const pid_t left = LeftProcess(dir.File("exits"));
        int status = 0;
        ASSERT_TRUE(child.Wait(status));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << status;
        EXPECT_TRUE(Eventually([&] { return Ended(left); }));
    }
    {
        SCOPED_TRACE("the group is sent SIGTERM");
        ChildProcess child;
        ASSERT_TRUE(StartLeavingAProcess(child, dir.File("signalled"), "exec sleep 60"));
        const pid_t left = LeftProcess(dir.File("signalled"));
        child.Signal(SIGTERM);
        int status = 0;
        ASSERT_TRUE(child.Wait(status));
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
        EXPECT_TRUE(Eventually([&] { return Ended(left); }));
    }
    {
        SCOPED_TRACE("the parent is killed outright");
        const pid_t parent = ::fork();
        if (parent == 0) {
            ChildProcess child;
            if (!StartLeavingAProcess(child, dir.File("orphaned"), "exec sleep 60"))
                ::_exit(1);
            ::pause();
            ::_exit(0);
        }
        const pid_t left = LeftProcess(dir.File("orphaned"));
        ASSERT_GT(left, 0);
        ::kill(parent, SIGKILL);
        int status = 0;
        ::waitpid(parent, &status, 0);
        EXPECT_TRUE(Eventually([&] { return Ended(left); }));
    }
}
