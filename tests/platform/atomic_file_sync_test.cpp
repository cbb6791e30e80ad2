// What the atomic writer forces to the disk, and how it creates its temporary file: neither shows
// in the files it leaves. This program defines the C library's open, fsync and rename calls
// itself, records them while a test asks, and hands each on to the library's own function.
// The writer, linked into this program, calls these definitions; so does everything else here,
// which is why the recording is in a program of its own.
#undef _FORTIFY_SOURCE
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Call {
    enum Kind { Open, Sync, Rename } kind;
    std::string path; // Open: the path opened; Rename: the new name
    int flags = 0;    // Open
    int result = 0;   // Open: the descriptor, or -1
    // Sync: the file forced to the disk.
    dev_t device = 0;
    ino_t inode = 0;
};

std::mutex callsGuard;
// Recording while not null.
std::vector<Call>* recorded = nullptr;
// Opens of an unnamed temporary file fail as on a file system without them.
bool refuseUnnamed = false;

bool Recording()
{
    const std::lock_guard<std::mutex> lock(callsGuard);
    return recorded != nullptr;
}

// Takes the call only while recording, so that the program's other calls allocate nothing here.
template <typename MakeCall>
void Record(MakeCall make)
{
    const std::lock_guard<std::mutex> lock(callsGuard);
    if (recorded != nullptr)
        recorded->push_back(make());
}

// The C library's own definition of name, the one this program's definition hides.
template <typename Function>
Function Next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool Unnamed(int flags)
{
    return (flags & O_TMPFILE) == O_TMPFILE;
}

mode_t ModeArgument(int flags, va_list arguments)
{
    return (flags & O_CREAT) != 0 || Unnamed(flags) ? mode_t(va_arg(arguments, int)) : 0;
}

template <typename Open>
int RecordedOpen(Open open, const char* path, int flags)
{
    if (Unnamed(flags) && Recording() && refuseUnnamed) {
        Record([&] { return Call{Call::Open, path, flags, -1}; });
        errno = EOPNOTSUPP;
        return -1;
    }
    const int fd = open();
    const int error = errno;
    Record([&] { return Call{Call::Open, path, flags, fd}; });
    errno = error;
    return fd;
}

int RecordedSync(int (*sync)(int), int fd)
{
    struct stat file {};
    if (Recording() && ::fstat(fd, &file) == 0)
        Record([&] { return Call{Call::Sync, "", 0, 0, file.st_dev, file.st_ino}; });
    return sync(fd);
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    static const auto next = Next<int (*)(const char*, int, ...)>("open");
    return RecordedOpen([&] { return next(path, flags, mode); }, path, flags);
}

int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    static const auto next = Next<int (*)(const char*, int, ...)>("open64");
    return RecordedOpen([&] { return next(path, flags, mode); }, path, flags);
}

int openat(int directory, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    static const auto next = Next<int (*)(int, const char*, int, ...)>("openat");
    return RecordedOpen([&] { return next(directory, path, flags, mode); }, path, flags);
}

int openat64(int directory, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    static const auto next = Next<int (*)(int, const char*, int, ...)>("openat64");
    return RecordedOpen([&] { return next(directory, path, flags, mode); }, path, flags);
}

int fsync(int fd)
{
    static const auto next = Next<int (*)(int)>("fsync");
    return RecordedSync(next, fd);
}

int fdatasync(int fd)
{
    static const auto next = Next<int (*)(int)>("fdatasync");
    return RecordedSync(next, fd);
}

int rename(const char* from, const char* to) noexcept
{
    static const auto next = Next<int (*)(const char*, const char*)>("rename");
    Record([&] { return Call{Call::Rename, to}; });
    return next(from, to);
}

int renameat(int fromDirectory, const char* from, int toDirectory, const char* to) noexcept
{
    static const auto next = Next<int (*)(int, const char*, int, const char*)>("renameat");
    Record([&] { return Call{Call::Rename, to}; });
    return next(fromDirectory, from, toDirectory, to);
}

int renameat2(int fromDirectory, const char* from, int toDirectory, const char* to, unsigned int flags) noexcept
{
    static const auto next = Next<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
    Record([&] { return Call{Call::Rename, to}; });
    return next(fromDirectory, from, toDirectory, to, flags);
}

} // extern "C"

namespace {

// The calls made from Open to the end of Commit.
class RecordedCalls {
public:
    explicit RecordedCalls(bool refuseUnnamedFiles)
    {
        const std::lock_guard<std::mutex> lock(callsGuard);
        refuseUnnamed = refuseUnnamedFiles;
        recorded = &calls_;
    }
    ~RecordedCalls() { Stop(); }
    void Stop()
    {
        const std::lock_guard<std::mutex> lock(callsGuard);
        recorded = nullptr;
        refuseUnnamed = false;
    }
    const std::vector<Call>& calls() const { return calls_; }

private:
    std::vector<Call> calls_;
};

// Where in calls the file at path was forced to the disk, or -1.
int SyncOf(const std::vector<Call>& calls, const fs::path& path)
{
    struct stat file {};
    if (::stat(path.c_str(), &file) != 0)
        return -1;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].kind == Call::Sync && calls[i].device == file.st_dev && calls[i].inode == file.st_ino)
            return int(i);
    }
    return -1;
}

} // namespace

TEST(AtomicFileSync, DurableFileAndItsFolderReachTheDiskAndARegenerableOneIsLeftToTheSystem)
{
    const fs::path dir = fs::temp_directory_path() / ("zorvex-atomic-sync-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path target = dir / "f.cnx";
    using D = AtomicFile::Durability;
    const struct {
        const char* what;
        D durability;
        bool unnamedRefused; // the hidden named temporary file is used
        bool replaces;       // an older file is there
    } cases[] = {
        {"durable, unnamed temporary, new file", D::Durable, false, false},
        {"durable, named temporary, replaced file", D::Durable, true, true},
        {"regenerable, unnamed temporary, replaced file", D::Regenerable, false, true},
        {"regenerable, named temporary, new file", D::Regenerable, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(target);
        if (c.replaces)
            std::ofstream(target) << "old\n";
        RecordedCalls recording(c.unnamedRefused);
        AtomicFile file;
        ASSERT_TRUE(file.Open(target.string(), c.durability));
        file.stream() << "new\n";
        ASSERT_TRUE(file.Commit());
        recording.Stop();
        const std::vector<Call>& calls = recording.calls();

        // The temporary file is created where no other file has its name, never opened over one.
        int created = -1;
        for (size_t i = 0; i < calls.size(); ++i) {
            const Call& call = calls[i];
            if (call.kind != Call::Open || call.result < 0)
                continue;
            if (c.unnamedRefused && (call.flags & O_CREAT) != 0) {
                EXPECT_EQ(call.flags & O_EXCL, O_EXCL) << call.path << " created without O_EXCL";
                created = int(i);
            }
            if (!c.unnamedRefused && Unnamed(call.flags))
                created = int(i);
        }
        EXPECT_GE(created, 0) << "no temporary file was created";

        // The new text reaches the disk before it takes the target's name, and the name after.
        int replaced = -1;
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].kind == Call::Rename && fs::path(calls[i].path) == target)
                replaced = int(i);
        }
        ASSERT_GE(replaced, 0) << "the target was never replaced";
        const int fileSync = SyncOf(calls, target);
        const int folderSync = SyncOf(calls, dir);
        if (c.durability == D::Durable) {
            EXPECT_TRUE(fileSync >= 0 && fileSync < replaced) << "file forced at " << fileSync << ", replaced at " << replaced;
            EXPECT_GT(folderSync, replaced) << "folder forced at " << folderSync << ", replaced at " << replaced;
        } else {
            EXPECT_EQ(fileSync, -1);
            EXPECT_EQ(folderSync, -1);
        }
        std::ifstream in(target);
        std::string text;
        std::getline(in, text);
        EXPECT_EQ(text, "new");
    }
    fs::remove_all(dir);
}
