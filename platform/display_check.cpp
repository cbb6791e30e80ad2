#include "platform/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

bool AllDigits(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool XServerAnswers(const std::string& display)
{
    const XDisplayAddress address = ParseXDisplay(display);
    if (!address.valid)
        return false;
    if (address.socketPath.empty())
        return true;
    // The X client library tries the abstract socket first, then the file of the same name.
    return UnixSocketAnswers(std::string(1, '\0') + address.socketPath) || UnixSocketAnswers(address.socketPath);
}

bool WaylandCompositorAnswers(const std::string& name)
{
    if (name.front() == '/')
        return UnixSocketAnswers(name);
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    return !runtime.empty() && UnixSocketAnswers(runtime + "/" + name);
}

} // namespace

XDisplayAddress ParseXDisplay(const std::string& display)
{
    XDisplayAddress address;
    const std::string::size_type colon = display.rfind(':');
    if (colon == std::string::npos)
        return address;
    const std::string host = display.substr(0, colon);
    std::string number = display.substr(colon + 1);
    const std::string::size_type dot = number.find('.');
    if (dot != std::string::npos) {
        if (!AllDigits(number.substr(dot + 1)))
            return address;
        number.resize(dot);
    }
    if (!AllDigits(number))
        return address;
    address.valid = true;
    if (host.empty() || host == "unix")
        address.socketPath = "/tmp/.X11-unix/X" + number;
    return address;
}

bool UnixSocketAnswers(const std::string& address)
{
    sockaddr_un socketAddress{};
    socketAddress.sun_family = AF_UNIX;
    if (address.empty() || address.size() > sizeof(socketAddress.sun_path) - 1)
        return false;
    std::memcpy(socketAddress.sun_path, address.data(), address.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // An abstract name is exactly as long as given; a file name ends at its terminating NUL.
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + address.size()
                                       + (address.front() == '\0' ? 0 : 1));
    int result = 0;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&socketAddress), length);
    } while (result < 0 && errno == EINTR);
    // A server whose queue of new connections is full is there all the same.
    const bool answers = result == 0 || errno == EAGAIN;
    ::close(fd);
    return answers;
}

bool DisplayAvailable()
{
    if (!Environment("QT_QPA_PLATFORM").empty())
        return true;
    const std::string display = Environment("DISPLAY");
    if (!display.empty() && XServerAnswers(display))
        return true;
    const std::string wayland = Environment("WAYLAND_DISPLAY");
    return !wayland.empty() && WaylandCompositorAnswers(wayland);
}
