#include "platform/regular_file.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads until the end of the file; false on a read error or once more than limit bytes came.
bool ReadToEnd(int fd, size_t limit, std::string& contents)
{
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        // The size seen at opening is only a hint: the file may have grown since.
        if (size_t(got) > limit - contents.size())
            return false;
        contents.append(chunk, size_t(got));
    }
}

} // namespace

bool ReadRegularFile(const std::string& path, size_t limit, std::string& contents)
{
    contents.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat status {};
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && uint64_t(status.st_size) <= limit;
    if (ok) {
        contents.reserve(size_t(status.st_size));
        ok = ReadToEnd(fd, limit, contents);
    }
    ::close(fd);
    if (!ok)
        contents.clear();
    return ok;
}

bool IsRegularFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}
