#pragma once

#include <string>
#include <sys/socket.h>
#include <sys/un.h>

// The page-exit message to the host: number 1034 with the wizard window's lower-right corner.
class HostMessenger {
public:
    virtual ~HostMessenger() = default;
    // Posts without waiting; every failure is ignored.
    virtual void PostPageExit(int hostThreadId, int cornerX, int cornerY) = 0;
};

// Sends the ASCII datagram "1034 <cornerX> <cornerY>" to the abstract Unix socket named
// "tarnwick-<hostThreadId>", without blocking.
class SocketHostMessenger : public HostMessenger {
public:
    void PostPageExit(int hostThreadId, int cornerX, int cornerY) override;
};

constexpr int kPageExitMessage = 1034;

// The name of the socket at which the host with this id listens: "tarnwick-<hostId>".
std::string HostSocketName(int hostId);
// That socket's abstract address: a zero byte, then the name without a terminator, so that the
// name's length is part of the address. Returns the address length to pass with it.
socklen_t HostSocketAddress(int hostId, sockaddr_un& address);
