#include "tarnwick/page_exit_listener.h"

#include "platform/host_message.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <random>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

// How many ids are tried before the name taken is reported.
constexpr int kIdAttempts = 8;

// Reads one decimal integer (optional minus sign) at the front of text and removes it.
bool TakeInt(std::string_view& text, int& value)
{
    const char* const end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || last == text.data())
        return false;
    text.remove_prefix(size_t(last - text.data()));
    return true;
}

bool TakeBlank(std::string_view& text)
{
    if (text.empty() || text.front() != ' ')
        return false;
    text.remove_prefix(1);
    return true;
}

} // namespace

bool ParsePageExit(std::string_view text, PageExit& exit)
{
    int number = 0;
    PageExit parsed;
    if (!TakeInt(text, number) || number != kPageExitMessage)
        return false;
    if (!TakeBlank(text) || !TakeInt(text, parsed.cornerX))
        return false;
    if (!TakeBlank(text) || !TakeInt(text, parsed.cornerY))
        return false;
    if (!text.empty())
        return false;
    exit = parsed;
    return true;
}

PageExitListener::~PageExitListener()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool PageExitListener::Open(int hostId, std::string& error)
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = std::string("cannot create the message socket: ") + std::strerror(errno);
        return false;
    }
    // The kernel then attaches the sender's process id to every datagram, before any can arrive.
    const int on = 1;
    if (::setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0) {
        error = std::string("cannot learn the senders of messages: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    // The wizard's own address of the host: an abstract name, so nothing appears in the file
    // system and the name goes away with the socket.
    sockaddr_un address{};
    const socklen_t length = HostSocketAddress(hostId, address);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        const int failed = errno;
        error = "cannot listen as " + HostSocketName(hostId) + ": " + std::strerror(failed);
        ::close(fd);
        errno = failed;
        return false;
    }
    fd_ = fd;
    return true;
}

bool PageExitListener::OpenUnderFreeId(int& hostId, std::string& error)
{
    // Ids another process cannot guess ahead, from the kernel's random numbers.
    std::random_device random;
    std::uniform_int_distribution<int> ids(1, INT_MAX);
    for (int attempt = 0; attempt < kIdAttempts; ++attempt) {
        if (attempt > 0)
            hostId = ids(random);
        if (Open(hostId, error))
            return true;
        if (errno != EADDRINUSE)
            return false;
    }
    return false;
}

std::vector<HostDatagram> PageExitListener::ReceivePending()
{
    std::vector<HostDatagram> datagrams;
    if (fd_ < 0)
        return datagrams;
    for (;;) {
        char buffer[256];
        iovec part{buffer, sizeof buffer};
        // Room for the credentials only: descriptors that a sender passes along do not fit, and
        // the kernel closes what does not fit instead of installing it.
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
        msghdr header{};
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        const ssize_t size = ::recvmsg(fd_, &header, MSG_DONTWAIT);
        if (size < 0) {
            if (errno == EINTR)
                continue;
            break; // EAGAIN: nothing more is waiting
        }
        HostDatagram datagram{std::string(buffer, size_t(size)), 0};
        for (cmsghdr* item = CMSG_FIRSTHDR(&header); item != nullptr; item = CMSG_NXTHDR(&header, item)) {
            if (item->cmsg_level == SOL_SOCKET && item->cmsg_type == SCM_CREDENTIALS
                && item->cmsg_len == CMSG_LEN(sizeof(ucred))) {
                ucred sender;
                std::memcpy(&sender, CMSG_DATA(item), sizeof sender);
                datagram.senderPid = sender.pid;
            }
        }
        datagrams.push_back(std::move(datagram));
    }
    return datagrams;
}
