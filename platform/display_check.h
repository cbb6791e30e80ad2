#pragma once

#include <string>

// Where the X server of a display name listens.
struct XDisplayAddress {
    bool valid = false;        // the name has the form [host]:number[.screen]
    std::string socketPath;    // for a display on this machine; "" for one on another host
};

// Reads a display name as the X client library does: no host or the host "unix" is this machine,
// whose display n listens on /tmp/.X11-unix/Xn.
XDisplayAddress ParseXDisplay(const std::string& display);

// True when something accepts connections on the Unix stream socket at address; an address that
// starts with a NUL character names the abstract namespace.
bool UnixSocketAnswers(const std::string& address);

// True when a GUI application can be started without the toolkit ending the process for want of
// a display: QT_QPA_PLATFORM chooses a platform, or the X server that DISPLAY names answers (a
// display on another host is trusted), or the Wayland compositor that WAYLAND_DISPLAY names does.
bool DisplayAvailable();
