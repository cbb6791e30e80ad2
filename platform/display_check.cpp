#include "platform/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

bool WaylandCompositorAnswers(const std::string& name)
{
    if (name.empty())
        return false;
    if (name.front() == '/')
        return UnixSocketAnswers(name);
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    return !runtime.empty() && UnixSocketAnswers(runtime + "/" + name);
}

// Keeps the last accepted connection open until the process ends. A server without other
// clients starts over when its last one leaves, and refuses connections meanwhile; the toolkit's
// own connection, made next, would then fail.
void KeepConnection(xcb_connection_t* connection)
{
    static std::mutex guard;
    static xcb_connection_t* kept = nullptr;
    const std::lock_guard<std::mutex> lock(guard);
    if (kept != nullptr)
        xcb_disconnect(kept);
    kept = connection;
}

} // namespace

bool XServerAccepts(const std::string& display, std::chrono::milliseconds limit)
{
    if (display.empty())
        return false;
    // The client library waits for the server's answer without a time limit, and a stopped server
    // never answers; the connection is therefore made on a thread of its own. One that is still
    // waiting at the limit is left to finish or to end with the process.
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> accepted = answer->get_future();
    std::thread([display, answer] {
        xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
        const bool ok = xcb_connection_has_error(connection) == 0;
        if (ok)
            KeepConnection(connection);
        else
            xcb_disconnect(connection);
        answer->set_value(ok);
    }).detach();
    return accepted.wait_for(limit) == std::future_status::ready && accepted.get();
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
    const socklen_t length =
        socklen_t(offsetof(sockaddr_un, sun_path) + address.size() + (address.front() == '\0' ? 0 : 1));
    int result = 0;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&socketAddress), length);
    } while (result < 0 && errno == EINTR);
    // A server whose queue of new connections is full is there all the same.
    const bool answers = result == 0 || errno == EAGAIN;
    ::close(fd);
    return answers;
}

WindowSystem FindWindowSystem(std::chrono::milliseconds handshakeLimit)
{
    const std::string display = Environment("DISPLAY");
    const std::string wayland = Environment("WAYLAND_DISPLAY");
    const std::string platform = Environment("QT_QPA_PLATFORM");
    // The toolkit ends the process when the platform it was told to use cannot be had.
    if (StartsWith(platform, "xcb"))
        return XServerAccepts(display, handshakeLimit) ? WindowSystem::Chosen : WindowSystem::None;
    if (StartsWith(platform, "wayland"))
        return WaylandCompositorAnswers(wayland) ? WindowSystem::Chosen : WindowSystem::None;
    if (!platform.empty())
        return WindowSystem::Chosen;
    if (XServerAccepts(display, handshakeLimit))
        return WindowSystem::X11;
    if (WaylandCompositorAnswers(wayland))
        return WindowSystem::Wayland;
    return WindowSystem::None;
}
