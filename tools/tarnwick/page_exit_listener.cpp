#include "tools/tarnwick/page_exit_listener.h"

#include "platform/host_message.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

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
    // The wizard's own address of the host: an abstract name, so nothing appears in the file
    // system and the name goes away with the socket.
    sockaddr_un address{};
    const socklen_t length = HostSocketAddress(hostId, address);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        error = "cannot listen as " + HostSocketName(hostId) + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

std::vector<std::string> PageExitListener::ReceivePending()
{
    std::vector<std::string> messages;
    if (fd_ < 0)
        return messages;
    char buffer[256];
    for (;;) {
        const ssize_t size = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (size < 0) {
            if (errno == EINTR)
                continue;
            break; // EAGAIN: nothing more is waiting
        }
        messages.emplace_back(buffer, size_t(size));
    }
    return messages;
}
