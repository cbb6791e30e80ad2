#include "platform/host_message.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

void SocketHostMessenger::PostPageExit(int hostThreadId, int cornerX, int cornerY)
{
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;

    // The host listens on an abstract socket: the name starts with a zero byte and is not
    // terminated, so its length is part of the address.
    const std::string name = "tarnwick-" + std::to_string(hostThreadId);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());

    char text[48];
    const int size = std::snprintf(text, sizeof text, "%d %d %d", kPageExitMessage, cornerX, cornerY);
    // Posted, never sent: a host that is gone or whose queue is full costs nothing but the message.
    ::sendto(fd, text, size_t(size), MSG_DONTWAIT | MSG_NOSIGNAL,
             reinterpret_cast<const sockaddr*>(&address), length);
    ::close(fd);
}
