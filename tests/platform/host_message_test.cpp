#include "platform/host_message.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A host stand-in: a datagram socket bound to the abstract name the wizard posts to.
class HostSocket {
public:
    explicit HostSocket(int hostThreadId)
    {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const std::string name = "tarnwick-" + std::to_string(hostThreadId);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address),
                        socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size())) == 0;
        address_ = address;
        length_ = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    }
    ~HostSocket() { ::close(fd_); }

    bool bound() const { return bound_; }

    // The next datagram, or "<none>" when nothing arrives within the timeout.
    std::string Receive(int timeoutMs = 2000)
    {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, timeoutMs) != 1)
            return "<none>";
        char buffer[256];
        const ssize_t size = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        return size < 0 ? "<none>" : std::string(buffer, size_t(size));
    }

    // Sends filler datagrams from another socket until the queue takes no more; returns how many.
    int Fill()
    {
        const int sender = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        int sent = 0;
        while (::sendto(sender, "filler", 6, MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&address_), length_) == 6)
            ++sent;
        ::close(sender);
        return sent;
    }

private:
    int fd_ = -1;
    bool bound_ = false;
    sockaddr_un address_{};
    socklen_t length_ = 0;
};

// An id no other test run on the machine uses at the same time.
int UniqueHostId(int salt)
{
    return int(::getpid()) * 8 + salt;
}

} // namespace

TEST(SocketHostMessenger, PostsMessageNumberAndCornerAsText)
{
    const struct {
        int x;
        int y;
        const char* text;
    } cases[] = {
        {640, 480, "1034 640 480"},
        {-5, 0, "1034 -5 0"},
        {2147483647, -2147483647 - 1, "1034 2147483647 -2147483648"},
    };
    const int id = UniqueHostId(1);
    HostSocket host(id);
    ASSERT_TRUE(host.bound());
    SocketHostMessenger messenger;
    for (const auto& c : cases) {
        messenger.PostPageExit(id, c.x, c.y);
        EXPECT_EQ(host.Receive(), c.text);
    }
}

TEST(SocketHostMessenger, GoesOnlyToTheNamedHost)
{
    HostSocket mine(UniqueHostId(2));
    HostSocket other(UniqueHostId(3));
    ASSERT_TRUE(mine.bound() && other.bound());
    SocketHostMessenger().PostPageExit(UniqueHostId(2), 1, 2);
    EXPECT_EQ(mine.Receive(), "1034 1 2");
    EXPECT_EQ(other.Receive(100), "<none>");
}

TEST(SocketHostMessenger, FullHostQueueDropsTheMessageWithoutWaiting)
{
    const int id = UniqueHostId(4);
    HostSocket host(id);
    ASSERT_TRUE(host.bound());
    const int filled = host.Fill();
    ASSERT_GT(filled, 0);

    // Would block for ever if the message were sent with waiting.
    SocketHostMessenger().PostPageExit(id, 7, 8);

    int received = 0;
    for (std::string text = host.Receive(100); text != "<none>"; text = host.Receive(100)) {
        EXPECT_EQ(text, "filler");
        ++received;
    }
    EXPECT_EQ(received, filled);
}

TEST(SocketHostMessenger, MissingHostIsNoError)
{
    const int id = UniqueHostId(5);
    SocketHostMessenger messenger;
    messenger.PostPageExit(id, 1, 1);
    // The messenger keeps working once the host appears.
    HostSocket host(id);
    ASSERT_TRUE(host.bound());
    messenger.PostPageExit(id, 3, 4);
    EXPECT_EQ(host.Receive(), "1034 3 4");
}
