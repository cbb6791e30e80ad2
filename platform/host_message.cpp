#include "platform/host_message.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

std::string HostSocketName(int hostId)
{
    return "tarnwick-" + std::to_string(hostId);
}

socklen_t HostSocketAddress(int hostId, sockaddr_un& address)
{
    const std::string name = HostSocketName(hostId);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

void SocketHostMessenger::PostPageExit(int hostThreadId, int cornerX, int cornerY)
{
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;

    sockaddr_un address{};
    const socklen_t length = HostSocketAddress(hostThreadId, address);

    char text[48];
    const int size = std::snprintf(text, sizeof text, "%d %d %d", kPageExitMessage, cornerX, cornerY);
    // Posted, never sent: a host that is gone or whose queue is full costs nothing but the message.
    ::sendto(fd, text, size_t(size), MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address), length);
    ::close(fd);
}
