#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// A page exit reported by the wizard: the screen corner where its window's lower-right corner was.
struct PageExit {
    int cornerX = 0;
    int cornerY = 0;
};

// Reads the message text "1034 <cornerX> <cornerY>" (decimal, single blanks, nothing more).
// Returns false for any other text.
bool ParsePageExit(std::string_view text, PageExit& exit);

// A datagram that reached the host's socket, with the id of the process that sent it as the kernel
// reports it (0 when it reported none). A process cannot give another's id without privilege.
struct HostDatagram {
    std::string text;
    pid_t senderPid = 0;
};

// The host's end of the page-exit messages: an abstract Unix datagram socket named
// "tarnwick-<hostId>", which the wizard started with -h<hostId> sends to without waiting. Any local
// process can send to it, so each datagram comes with its sender.
class PageExitListener {
public:
    PageExitListener() = default;
    PageExitListener(const PageExitListener&) = delete;
    PageExitListener& operator=(const PageExitListener&) = delete;
    ~PageExitListener();

    // Creates and binds the socket. False with the reason in error, for example when another host
    // already listens under that id.
    bool Open(int hostId, std::string& error);

    // Opens under hostId, or, when another process holds that name, under other ids chosen at
    // random; hostId becomes the id the socket listens under. False with the reason in error.
    bool OpenUnderFreeId(int& hostId, std::string& error);

    // The socket, for poll(); -1 before Open has succeeded.
    int fd() const { return fd_; }

    // Every datagram that is waiting, in arrival order, without blocking. A datagram longer than
    // any message the wizard sends is returned cut off, which no parser accepts.
    std::vector<HostDatagram> ReceivePending();

private:
    int fd_ = -1;
};
