#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

std::string ExecutablePath()
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        // A result that fills the whole buffer may have been cut short: try again with more room.
        if (size_t(length) < buffer.size())
            return std::string(buffer.data(), size_t(length));
        buffer.resize(buffer.size() * 2);
    }
}

bool FileExists(const std::string& path)
{
    // Non-blocking, so that a named pipe is refused at once instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat status{};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    ::close(fd);
    return regular;
}

bool StartDocumentViewer(const std::string& path)
{
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0)
        return false;
    // The viewer starts with no signal blocked, whatever the GUI toolkit has blocked here.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);

    char program[] = "xdg-open";
    std::string argument = path;
    char* const arguments[] = {program, argument.data(), nullptr};
    pid_t child = 0;
    const int error = posix_spawnp(&child, program, nullptr, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return false;

    // Nobody waits for the viewer, yet its exit must not leave a zombie behind. A detached thread
    // reaps exactly this child, so other children of the process are never disturbed.
    std::thread([child] {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}
