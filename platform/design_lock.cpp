#include "platform/design_lock.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

const char* const kInheritedDesignLockVariable = "ZORVEX_DESIGN_LOCK_FD";

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(50);

// The descriptor handed down for the lock file at path, or -1 when none was, or it is another file.
int InheritedDescriptor(const std::string& path)
{
    const char* text = std::getenv(kInheritedDesignLockVariable);
    if (text == nullptr || *text == '\0')
        return -1;
    char* end = nullptr;
    const long fd = std::strtol(text, &end, 10);
    if (*end != '\0' || fd < 0 || fd > 1 << 20)
        return -1;
    struct stat given {};
    struct stat wanted {};
    if (::fstat(int(fd), &given) != 0 || ::stat(path.c_str(), &wanted) != 0 || given.st_dev != wanted.st_dev
        || given.st_ino != wanted.st_ino)
        return -1;
    return int(fd);
}

// The process that took the flock on the file open at fd, from the kernel's list of locks, whose
// lines read "1: FLOCK  ADVISORY  WRITE <pid> <major>:<minor>:<inode> 0 EOF" with the device
// numbers in hexadecimal. 0 when it is not listed.
pid_t HolderOf(int fd)
{
    struct stat file {};
    if (::fstat(fd, &file) != 0)
        return 0;
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, where;
        long pid = 0;
        if (!(fields >> number >> kind >> mode >> access >> pid >> where) || kind != "FLOCK")
            continue;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(where.c_str(), "%x:%x:%llu", &major, &minor, &inode) == 3 && major == major(file.st_dev)
            && minor == minor(file.st_dev) && inode == file.st_ino && pid > 0)
            return pid_t(pid);
    }
    return 0;
}

} // namespace

DesignLock::~DesignLock()
{
    Release();
}

std::string DesignLock::PathFor(const std::string& directory)
{
    return directory.empty() ? std::string(".") : directory;
}

DesignLock::Result DesignLock::Acquire(const std::string& path, long timeoutMilliseconds,
                                       const std::function<void(pid_t)>& onWait, std::string& error)
{
    Release();
    const int handed = InheritedDescriptor(path);
    if (handed >= 0) {
        // The same open file as the holder's: flock on it succeeds at once while that one holds it.
        fd_ = ::fcntl(handed, F_DUPFD_CLOEXEC, 0);
        inherited_ = true;
    } else {
        fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        inherited_ = false;
    }
    if (fd_ < 0) {
        error = std::string("cannot open " + path + ": ") + std::strerror(errno);
        return Result::Unavailable;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    bool told = false;
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
            break;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            error = std::string("cannot lock: ") + std::strerror(errno);
            Release();
            return Result::Unavailable;
        }
        const pid_t holder = HolderOf(fd_);
        if (!told && onWait)
            onWait(holder);
        told = true;
        if (std::chrono::steady_clock::now() >= deadline) {
            error = holder > 0 ? "process " + std::to_string(holder) + " holds it"
                               : std::string("another process holds it");
            Release();
            return Result::Busy;
        }
        std::this_thread::sleep_for(kRetryInterval);
    }
    return Result::Held;
}

void DesignLock::Release()
{
    if (fd_ < 0)
        return;
    // Unlocking a handed-down lock would take it from its holder too: the open file is shared.
    if (!inherited_)
        ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}
