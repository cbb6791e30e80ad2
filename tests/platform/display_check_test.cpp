#include "platform/display_check.h"

#include "tests/platform/environment_guard.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A stream socket bound to address (abstract when it starts with NUL); listening unless told not,
// with room for backlog connections not yet accepted.
class BoundSocket {
public:
    explicit BoundSocket(const std::string& address, bool listening = true, int backlog = 4)
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un name{};
        name.sun_family = AF_UNIX;
        std::memcpy(name.sun_path, address.data(), address.size());
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + address.size());
        ready_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&name), length) == 0
            && (!listening || ::listen(fd_, backlog) == 0);
    }
    ~BoundSocket() { ::close(fd_); }
    bool ready() const { return ready_; }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
    bool ready_ = false;
};

// A client that connects to the stream socket at a file address without waiting to be accepted;
// error() is the connection's errno, 0 when it is in the server's queue.
class WaitingClient {
public:
    explicit WaitingClient(const std::string& address)
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un name{};
        name.sun_family = AF_UNIX;
        std::memcpy(name.sun_path, address.data(), address.size());
        error_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&name), sizeof name) == 0 ? 0 : errno;
    }
    ~WaitingClient() { ::close(fd_); }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

// An X server that refuses every client, as one does whose authorization the client lacks: it
// reads the client's setup request and answers "Failed".
class RefusingXServer {
public:
    explicit RefusingXServer(const std::string& address) : socket_(address)
    {
        if (!socket_.ready())
            return;
        thread_ = std::thread([this] {
            const int client = ::accept(socket_.fd(), nullptr, nullptr);
            if (client < 0)
                return;
            char request[256];
            if (::read(client, request, sizeof request) > 0) {
                const std::string reason = "No protocol specified...."; // 24 characters: 6 units
                std::string reply = {0, char(reason.size()), 11, 0, 0, 0, char(reason.size() / 4), 0};
                reply += reason;
                [[maybe_unused]] const ssize_t sent = ::write(client, reply.data(), reply.size());
            }
            ::close(client);
        });
    }
    ~RefusingXServer()
    {
        ::shutdown(socket_.fd(), SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
    }
    bool ready() const { return socket_.ready(); }

private:
    BoundSocket socket_;
    std::thread thread_;
};

// A real X server, Xvfb, on display :number for as long as the object lives.
class XvfbServer {
public:
    explicit XvfbServer(int number)
    {
        const std::string display = ":" + std::to_string(number);
        pid_ = ::fork();
        if (pid_ == 0) {
            // Without -noreset the server starts over whenever its last client leaves, and refuses
            // connections meanwhile.
            ::execlp("Xvfb", "Xvfb", display.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0", "640x480x24",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 100 && pid_ > 0 && !ready_; ++i) {
            ready_ = XServerAccepts(display, std::chrono::milliseconds(1000));
            if (!ready_)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~XvfbServer()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool ready() const { return ready_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

std::string Abstract(const std::string& name)
{
    return std::string(1, '\0') + name;
}

class DisplayCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("zorvex-display-" + std::to_string(::getpid()));
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    // A display number of this test alone: far above any real server's, different per process.
    static int DisplayNumber(int offset) { return 40000 + int(::getpid() % 10000) * 2 + offset; }
    static std::string XSocket(int number) { return "/tmp/.X11-unix/X" + std::to_string(number); }

    fs::path directory;
};

} // namespace

TEST_F(DisplayCheckTest, SocketAnswersOnlyWhileSomethingListens)
{
    const std::string abstract = Abstract("zorvex-display-test-" + std::to_string(::getpid()));
    const std::string file = (directory / "listening").string();
    const std::string deaf = (directory / "deaf").string();
    const std::string busy = (directory / "busy").string();
    {
        BoundSocket abstractServer(abstract);
        BoundSocket fileServer(file);
        BoundSocket deafServer(deaf, false);
        BoundSocket busyServer(busy, true, 0);
        ASSERT_TRUE(abstractServer.ready() && fileServer.ready() && deafServer.ready() && busyServer.ready());
        EXPECT_TRUE(UnixSocketAnswers(abstract));
        EXPECT_TRUE(UnixSocketAnswers(file));
        EXPECT_FALSE(UnixSocketAnswers(deaf));

        // Clients that the busy server never accepts fill its queue, until a new one is told to
        // try again later: the server is there all the same.
        std::vector<std::unique_ptr<WaitingClient>> waiting;
        bool queueFull = false;
        for (int i = 0; i < 64 && !queueFull; ++i) {
            waiting.push_back(std::make_unique<WaitingClient>(busy));
            queueFull = waiting.back()->error() == EAGAIN;
        }
        ASSERT_TRUE(queueFull) << "the queue of " << busy << " never filled";
        EXPECT_TRUE(UnixSocketAnswers(busy));
    }
    // The servers are gone; the socket file stays behind, as a crashed server's does.
    EXPECT_FALSE(UnixSocketAnswers(abstract));
    EXPECT_FALSE(UnixSocketAnswers(file));
    EXPECT_FALSE(UnixSocketAnswers((directory / "never").string()));
    EXPECT_FALSE(UnixSocketAnswers(""));
    EXPECT_FALSE(UnixSocketAnswers("/" + std::string(200, 'x')));
}

TEST_F(DisplayCheckTest, WindowSystemIsOneThatAcceptsTheConnection)
{
    const int live = DisplayNumber(0);
    const int dead = DisplayNumber(1);
    const int refusing = DisplayNumber(2);
    const int silent = DisplayNumber(3);
    XvfbServer xServer(live);
    ASSERT_TRUE(xServer.ready()) << "Xvfb did not start on :" << live;
    RefusingXServer refusingServer(Abstract(XSocket(refusing)));
    BoundSocket silentServer(Abstract(XSocket(silent)));
    BoundSocket compositor((directory / "wayland-7").string());
    ASSERT_TRUE(refusingServer.ready() && silentServer.ready() && compositor.ready());

    const std::string runtime = directory.string();
    const auto x = [](int number) { return ":" + std::to_string(number); };
    using W = WindowSystem;
    const struct {
        const char* what;
        std::optional<std::string> display;
        std::optional<std::string> wayland;
        std::optional<std::string> platform;
        WindowSystem found;
    } cases[] = {
        {"nothing", std::nullopt, std::nullopt, std::nullopt, W::None},
        {"empty values", "", "", "", W::None},
        {"platform chosen", std::nullopt, std::nullopt, "offscreen", W::Chosen},
        {"platform chosen, X server dead", x(dead), std::nullopt, "offscreen", W::Chosen},
        {"X11 chosen, X server dead", x(dead), "wayland-7", "xcb", W::None},
        {"Wayland chosen, compositor absent", x(live), "wayland-9", "wayland", W::None},
        {"X server accepts", x(live), std::nullopt, std::nullopt, W::X11},
        {"X server accepts, screen given", x(live) + ".0", std::nullopt, std::nullopt, W::X11},
        {"X server dead", x(dead), std::nullopt, std::nullopt, W::None},
        // Authorization refused: the toolkit would end the process.
        {"X server refuses", x(refusing), std::nullopt, std::nullopt, W::None},
        {"display name malformed", "nonsense", std::nullopt, std::nullopt, W::None},
        {"compositor answers", std::nullopt, "wayland-7", std::nullopt, W::Wayland},
        {"compositor by full path", std::nullopt, runtime + "/wayland-7", std::nullopt, W::Wayland},
        {"compositor absent", std::nullopt, "wayland-9", std::nullopt, W::None},
        {"X server dead, compositor answers", x(dead), "wayland-7", std::nullopt, W::Wayland},
        // Windows are placed where the host asks only on X11.
        {"both answer", x(live), "wayland-7", std::nullopt, W::X11},
    };
    for (const auto& c : cases) {
        EnvironmentGuard environment({{"DISPLAY", c.display},
                                      {"WAYLAND_DISPLAY", c.wayland},
                                      {"QT_QPA_PLATFORM", c.platform},
                                      {"XDG_RUNTIME_DIR", runtime}});
        EXPECT_EQ(FindWindowSystem(), c.found) << c.what;
    }
    // A server that takes the connection and never answers would hold the run for ever.
    EnvironmentGuard environment({{"DISPLAY", x(silent)}, {"WAYLAND_DISPLAY", std::nullopt},
                                  {"QT_QPA_PLATFORM", std::nullopt}});
    EXPECT_EQ(FindWindowSystem(std::chrono::milliseconds(300)), W::None);
}
