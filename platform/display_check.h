#pragma once

#include <chrono>
#include <string>

// The window system the pages are shown on.
enum class WindowSystem {
    None, // no display can be had: the toolkit would end the process, or show nothing
    Chosen, // the platform QT_QPA_PLATFORM names, taken as it is (offscreen, say)
    X11, // the X server DISPLAY names
    Wayland, // the Wayland compositor WAYLAND_DISPLAY names
};

// The time an X server is given to accept a connection.
constexpr std::chrono::milliseconds kXHandshakeLimit{5000};

// True when the X server that display names accepts a connection from this process, its
// authorization included, within limit: the X client library's own connection and handshake.
bool XServerAccepts(const std::string& display, std::chrono::milliseconds limit = kXHandshakeLimit);

// True when something accepts connections on the Unix stream socket at address; an address that
// starts with a NUL character names the abstract namespace.
bool UnixSocketAnswers(const std::string& address);

// Finds the window system a GUI application can start on without the toolkit ending the process. A
// platform chosen in QT_QPA_PLATFORM is taken, except that an X11 or Wayland one is checked as
// below.
WindowSystem FindWindowSystem(std::chrono::milliseconds handshakeLimit = kXHandshakeLimit);
