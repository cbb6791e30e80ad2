#include "tarnwick/page_exit_listener.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

TEST(ParsePageExit, ReadsTheCornerOfAPageExit)
{
    const std::vector<std::tuple<std::string, int, int>> cases = {
        {"1034 640 480", 640, 480},
        {"1034 -10 0", -10, 0},
        {"1034 2147483647 -2147483648", 2147483647, -2147483647 - 1},
    };
    for (const auto& [text, x, y] : cases) {
        SCOPED_TRACE(text);
        PageExit exit;
        ASSERT_TRUE(ParsePageExit(text, exit));
        EXPECT_EQ(exit.cornerX, x);
        EXPECT_EQ(exit.cornerY, y);
    }
}

TEST(ParsePageExit, RefusesAnythingElseAndLeavesTheResultAlone)
{
    const std::vector<std::string> cases = {
        "",           "1034",          "1034 1",        "1035 1 2",      "1034 1 2 3",      "1034  1 2",
        "1034 1 2\n", " 1034 1 2",     "1034 x 2",      "1034 1 2x",     "1034 1 99999999999", "1034\t1 2",
        "+1034 1 2",  std::string("1034 1 2\0", 9),
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        PageExit exit{7, 8};
        EXPECT_FALSE(ParsePageExit(text, exit));
        EXPECT_EQ(exit.cornerX, 7);
        EXPECT_EQ(exit.cornerY, 8);
    }
}

// Sends one datagram to the abstract socket "tarnwick-<id>" the way any sender must address it.
bool SendTo(int hostId, const std::string& text)
{
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    const std::string name = "tarnwick-" + std::to_string(hostId);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    const ssize_t sent = ::sendto(fd, text.data(), text.size(), 0, reinterpret_cast<const sockaddr*>(&address), length);
    ::close(fd);
    return sent == ssize_t(text.size());
}

// An id no other test process uses at the same time.
int TestHostId(int salt) { return int(::getpid()) * 4 + salt; }

TEST(PageExitListener, ReceivesDatagramsInArrivalOrderWithoutBlocking)
{
    PageExitListener listener;
    std::string error;
    const int id = TestHostId(1);
    ASSERT_TRUE(listener.Open(id, error)) << error;
    EXPECT_TRUE(listener.ReceivePending().empty());

    ASSERT_TRUE(SendTo(id, "1034 1 2"));
    ASSERT_TRUE(SendTo(id, "hello"));
    ASSERT_TRUE(SendTo(id, "1034 3 4"));
    const std::vector<HostDatagram> received = listener.ReceivePending();
    std::vector<std::string> texts;
    for (const HostDatagram& datagram : received) {
        texts.push_back(datagram.text);
        EXPECT_EQ(datagram.senderPid, ::getpid()) << "each datagram comes with the id of its sender";
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"1034 1 2", "hello", "1034 3 4"}));
    EXPECT_TRUE(listener.ReceivePending().empty());
}

TEST(PageExitListener, OverlongDatagramComesBackCutAndIsNoPageExit)
{
    PageExitListener listener;
    std::string error;
    const int id = TestHostId(2);
    ASSERT_TRUE(listener.Open(id, error)) << error;
    const std::string text = "1034 1 2" + std::string(1000, ' ');
    ASSERT_TRUE(SendTo(id, text));
    const std::vector<HostDatagram> received = listener.ReceivePending();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_LT(received[0].text.size(), text.size());
    PageExit exit;
    EXPECT_FALSE(ParsePageExit(received[0].text, exit));
}

TEST(PageExitListener, SecondHostWithTheSameIdIsRefused)
{
    PageExitListener first;
    PageExitListener second;
    std::string error;
    const int id = TestHostId(3);
    ASSERT_TRUE(first.Open(id, error)) << error;
    EXPECT_FALSE(second.Open(id, error));
    EXPECT_NE(error.find("tarnwick-" + std::to_string(id)), std::string::npos) << error;
    EXPECT_EQ(second.fd(), -1);
}

} // namespace
