#pragma once

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
