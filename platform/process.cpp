#include "platform/process.h"

#include "platform/child_process.h"
#include "platform/design_lock.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    ::close(fd);
    return regular;
}

bool StartDocumentViewer(const std::string& path)
{
    ChildOptions options;
    options.program = "xdg-open";
    options.args = {options.program, path};
    // The viewer may outlive the process that starts it, so it must hold nothing of it: no
    // descriptor beyond the standard three (a handed-down design lock above all), and not the
    // variable that names that lock either.
    options.environment = EnvironmentWithout(kInheritedDesignLockVariable);
    ChildProcess viewer;
    std::string reason;
    StartFailure failure;
    if (!viewer.Start(options, reason, failure))
        return false;

    // Nobody waits for the viewer, yet its exit must not leave a zombie behind. A detached thread
    // collects exactly this child, so other children of the process are never disturbed.
    std::thread([viewer = std::move(viewer)]() mutable {
        int status = 0;
        viewer.Wait(status);
    }).detach();
    return true;
}
