#include "platform/atomic_file.h"
#include "platform/pending_temporary.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstddef>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("zorvex-atomic-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Read(const fs::path& path) const
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    size_t Entries() const { return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator())); }

    fs::path dir;
};

// Where the temporary file lives while it is written.
enum class Temporary { Unnamed, Named };

// Makes this process's file systems refuse unnamed files, as some file systems do, so that the
// hidden named temporary file is used. Ends the process with status 4 when that is not possible.
void UseTemporary(Temporary temporary)
{
    if (temporary == Temporary::Unnamed)
        return;
    // openat with the unnamed-file flag fails with EOPNOTSUPP; every other call is allowed.
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, O_TMPFILE & ~O_DIRECTORY, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
        std::_Exit(4);
}

bool UnnamedFilesAllowed(const fs::path& dir)
{
    const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

TEST_F(AtomicFileTest, ReplacesAnExistingFileWholeAndLeavesNoTemporary)
{
    std::ofstream(dir / "f.cnx") << "old text that is longer than the new one\n";
    AtomicFile file;
    ASSERT_TRUE(file.Open((dir / "f.cnx").string()));
    // More than one buffer's worth, so that the text is written in several pieces.
    const std::string line(1000, 'x');
    for (int i = 0; i < 300; ++i)
        file.stream() << line << '\n';
    EXPECT_TRUE(file.Commit());
    const std::string text = Read(dir / "f.cnx");
    EXPECT_EQ(text.size(), 300u * 1001u);
    EXPECT_EQ(text.substr(0, 1000), line);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, CreatesANewFile)
{
    AtomicFile file;
    ASSERT_TRUE(file.Open((dir / "new.vec").string()));
    file.stream() << "START 0;\n";
    EXPECT_TRUE(file.Commit());
    EXPECT_EQ(Read(dir / "new.vec"), "START 0;\n");
}

TEST_F(AtomicFileTest, UncommittedFileLeavesTheOldOneAndNoTemporary)
{
    std::ofstream(dir / "f.cnx") << "old\n";
    {
        AtomicFile file;
        ASSERT_TRUE(file.Open((dir / "f.cnx").string()));
        file.stream() << "half";
    }
    EXPECT_EQ(Read(dir / "f.cnx"), "old\n");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, MissingDirectoryCannotBeOpened)
{
    AtomicFile file;
    EXPECT_FALSE(file.Open((dir / "missing" / "f.cnx").string()));
    EXPECT_FALSE(file.Commit());
}

TEST_F(AtomicFileTest, DirectoryInTheWayFailsTheCommitAndStays)
{
    fs::create_directory(dir / "f.cnx");
    AtomicFile file;
    ASSERT_TRUE(file.Open((dir / "f.cnx").string()));
    file.stream() << "text\n";
    EXPECT_FALSE(file.Commit());
    EXPECT_TRUE(fs::is_directory(dir / "f.cnx"));
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, WriteErrorFailsTheCommitAndKeepsTheOldFile)
{
    std::ofstream(dir / "f.vec") << "old\n";
    // In a child process whose files may not grow beyond 4 KiB, every larger write fails.
    const std::string path = (dir / "f.vec").string();
    auto writeTooMuch = [&path] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        AtomicFile file;
        if (!file.Open(path))
            std::_Exit(2);
        file.stream() << std::string(200000, 'x');
        std::_Exit(file.Commit() ? 1 : 0);
    };
    EXPECT_EXIT(writeTooMuch(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Read(dir / "f.vec"), "old\n");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, ReplacedFileKeepsItsPermissionBitsAndNewFileFollowsTheUmask)
{
    struct Case {
        const char* name;
        mode_t umask;
        mode_t oldMode; // 0: no old file
        mode_t expected;
    };
    const Case cases[] = {
        {"new file, umask 027", 027, 0, 0640},
        {"new file, umask 022", 022, 0, 0644},
        {"replaced 0600, umask 027", 027, 0600, 0600},
        {"replaced 0640, umask 022", 022, 0640, 0640},
        {"replaced 0666, umask 077", 077, 0666, 0666},
    };
    const std::string path = (dir / "f.cnx").string();
    for (const Temporary temporary : {Temporary::Unnamed, Temporary::Named}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (temporary == Temporary::Named ? ", named temporary" : ""));
            fs::remove(path);
            if (c.oldMode != 0) {
                std::ofstream(path) << "old\n";
                ::chmod(path.c_str(), c.oldMode);
            }
            auto write = [&] {
                UseTemporary(temporary);
                ::umask(c.umask);
                AtomicFile file;
                if (!file.Open(path))
                    std::_Exit(2);
                file.stream() << "new\n";
                std::_Exit(file.Commit() ? 0 : 1);
            };
            EXPECT_EXIT(write(), ::testing::ExitedWithCode(0), "");
            struct stat written {};
            ASSERT_EQ(::stat(path.c_str(), &written), 0);
            EXPECT_EQ(written.st_mode & 07777, c.expected) << "mode " << std::oct << (written.st_mode & 07777);
            EXPECT_EQ(Read(path), "new\n");
        }
    }
}

TEST_F(AtomicFileTest, SignalWhileWritingLeavesTheOldFilesAndNoTemporary)
{
    struct Case {
        const char* name;
        int signal;
        Temporary temporary;
        bool ignored; // the program ignores the signal: the files are written as if nothing came
    };
    const Case cases[] = {
        {"SIGKILL, unnamed", SIGKILL, Temporary::Unnamed, false},
        {"SIGTERM, unnamed", SIGTERM, Temporary::Unnamed, false},
        {"SIGTERM, named", SIGTERM, Temporary::Named, false},
        {"SIGINT, named", SIGINT, Temporary::Named, false},
        {"SIGHUP, named", SIGHUP, Temporary::Named, false},
        {"SIGINT ignored, named", SIGINT, Temporary::Named, true},
    };
    const bool unnamedAllowed = UnnamedFilesAllowed(dir);
    // A run writes the retrieval information and the vector file at once, on two threads.
    const std::string cnx = (dir / "f.cnx").string();
    const std::string vec = (dir / "f.vec").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        if (c.temporary == Temporary::Unnamed && !unnamedAllowed) {
            ADD_FAILURE() << "the file system of " << dir << " refuses unnamed files";
            continue;
        }
        std::ofstream(cnx) << "old retrieval information\n";
        std::ofstream(vec) << "old vectors\n";
        auto writeAndSignal = [&] {
            UseTemporary(c.temporary);
            if (c.ignored)
                ::signal(c.signal, SIG_IGN);
            // Files opened and dropped before must have given their places in the signal
            // handler's table back.
            for (int i = 0; i < 40; ++i) {
                AtomicFile dropped;
                dropped.Open(cnx);
            }
            AtomicFile first;
            AtomicFile second;
            if (!first.Open(cnx) || !second.Open(vec))
                std::_Exit(2);
            // Several buffers' worth each, so that the text has reached the temporary files.
            first.stream() << std::string(200000, 'c');
            second.stream() << std::string(200000, 'v');
            first.stream().flush();
            second.stream().flush();
            const size_t temporaries = c.temporary == Temporary::Named ? 2 : 0;
            if (Entries() != 2 + temporaries)
                std::_Exit(3);
            ::raise(c.signal);
            std::_Exit(first.Commit() && second.Commit() ? 0 : 1);
        };
        if (c.ignored) {
            EXPECT_EXIT(writeAndSignal(), ::testing::ExitedWithCode(0), "");
            EXPECT_TRUE(Read(cnx) == std::string(200000, 'c')) << "the new retrieval information is not whole";
            EXPECT_TRUE(Read(vec) == std::string(200000, 'v')) << "the new vector file is not whole";
        } else {
            EXPECT_EXIT(writeAndSignal(), ::testing::KilledBySignal(c.signal), "");
            EXPECT_EQ(Read(cnx), "old retrieval information\n");
            EXPECT_EQ(Read(vec), "old vectors\n");
        }
        EXPECT_EQ(Entries(), 2u);
    }
}

// The names held for removal by a signal, in the same folder as the atomic files.
using PendingTemporaryTest = AtomicFileTest;

TEST_F(PendingTemporaryTest, ChildForkedWithoutExecLeavesTheParentsFilesToItsOwnSignal)
{
    const fs::path file = dir / ".zorvex-held";
    std::ofstream(file) << "half written\n";
    auto forkAndSignal = [&] {
        PendingTemporary pending;
        if (!pending.Hold(file.string()))
            std::_Exit(2);
        // The child has a copy of the table, but the file is not its own to remove.
        const pid_t child = ::fork();
        if (child == 0) {
            ::raise(SIGTERM);
            std::_Exit(3);
        }
        int status = 0;
        if (::waitpid(child, &status, 0) != child || !WIFSIGNALED(status) || WTERMSIG(status) != SIGTERM)
            std::_Exit(4);
        if (!fs::exists(file))
            std::_Exit(5);
        ::raise(SIGTERM);
        std::_Exit(6);
    };
    EXPECT_EXIT(forkAndSignal(), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(PendingTemporaryTest, LongestPathThatFitsIsHeldWholeAndALongerOneIsRefused)
{
    // The table has room for 4096 bytes a path, its terminating NUL among them. Folders of 200
    // characters lead to a file whose path is 4095 characters long.
    constexpr size_t kLongest = 4095;
    fs::path folder = dir;
    while (kLongest - folder.string().size() > 256)
        folder /= std::string(200, 'd');
    fs::create_directories(folder);
    const fs::path file = folder / std::string(kLongest - folder.string().size() - 1, 'f');
    ASSERT_EQ(file.string().size(), kLongest);
    std::ofstream(file) << "half written\n";
    ASSERT_TRUE(fs::exists(file));
    auto holdAndSignal = [&] {
        PendingTemporary tooLong;
        if (tooLong.Hold(file.string() + "x"))
            std::_Exit(2);
        PendingTemporary longest;
        if (!longest.Hold(file.string()))
            std::_Exit(3);
        ::raise(SIGTERM);
        std::_Exit(4);
    };
    EXPECT_EXIT(holdAndSignal(), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_FALSE(fs::exists(file));
}
