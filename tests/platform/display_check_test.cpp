#include "platform/display_check.h"

#include "tests/platform/environment_guard.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A stream socket bound to address (abstract when it starts with NUL); listening unless told not.
class BoundSocket {
public:
    explicit BoundSocket(const std::string& address, bool listening = true)
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un name{};
        name.sun_family = AF_UNIX;
        std::memcpy(name.sun_path, address.data(), address.size());
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + address.size());
        ready_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&name), length) == 0
            && (!listening || ::listen(fd_, 4) == 0);
    }
    ~BoundSocket() { ::close(fd_); }
    bool ready() const { return ready_; }

private:
    int fd_ = -1;
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

TEST(ParseXDisplay, LocalDisplaysListenOnTheirNumbersSocketOthersAreRemote)
{
    const struct {
        const char* display;
        bool valid;
        const char* socketPath;
    } cases[] = {
        {":0", true, "/tmp/.X11-unix/X0"},
        {":12.1", true, "/tmp/.X11-unix/X12"},
        {"unix:3", true, "/tmp/.X11-unix/X3"},
        {"unix:3.0", true, "/tmp/.X11-unix/X3"},
        {"buildhost:0", true, ""},
        {"buildhost.example:10.0", true, ""},
        {"", false, ""},
        {"0", false, ""},
        {":", false, ""},
        {":x", false, ""},
        {":1.", false, ""},
        {":1.x", false, ""},
        {"buildhost:", false, ""},
    };
    for (const auto& c : cases) {
        const XDisplayAddress address = ParseXDisplay(c.display);
        EXPECT_EQ(address.valid, c.valid) << c.display;
        EXPECT_EQ(address.socketPath, c.socketPath) << c.display;
    }
}

TEST_F(DisplayCheckTest, SocketAnswersOnlyWhileSomethingListens)
{
    const std::string abstract = Abstract("zorvex-display-test-" + std::to_string(::getpid()));
    const std::string file = (directory / "listening").string();
    const std::string deaf = (directory / "deaf").string();
    {
        BoundSocket abstractServer(abstract);
        BoundSocket fileServer(file);
        BoundSocket deafServer(deaf, false);
        ASSERT_TRUE(abstractServer.ready() && fileServer.ready() && deafServer.ready());
        EXPECT_TRUE(UnixSocketAnswers(abstract));
        EXPECT_TRUE(UnixSocketAnswers(file));
        EXPECT_FALSE(UnixSocketAnswers(deaf));
    }
    // The servers are gone; the socket file stays behind, as a crashed server's does.
    EXPECT_FALSE(UnixSocketAnswers(abstract));
    EXPECT_FALSE(UnixSocketAnswers(file));
    EXPECT_FALSE(UnixSocketAnswers((directory / "never").string()));
    EXPECT_FALSE(UnixSocketAnswers(""));
    EXPECT_FALSE(UnixSocketAnswers("/" + std::string(200, 'x')));
}

TEST_F(DisplayCheckTest, DisplayIsAvailableOnlyWhereAServerAnswersOrIsTrusted)
{
    const int live = DisplayNumber(0);
    const int dead = DisplayNumber(1);
    BoundSocket xServer(Abstract(XSocket(live)));
    BoundSocket compositor((directory / "wayland-7").string());
    ASSERT_TRUE(xServer.ready() && compositor.ready());
    ASSERT_FALSE(UnixSocketAnswers(Abstract(XSocket(dead))) || UnixSocketAnswers(XSocket(dead)));

    const std::string runtime = directory.string();
    const struct {
        const char* what;
        std::optional<std::string> display;
        std::optional<std::string> wayland;
        std::optional<std::string> platform;
        bool available;
    } cases[] = {
        {"nothing", std::nullopt, std::nullopt, std::nullopt, false},
        {"empty values", "", "", "", false},
        {"platform chosen", std::nullopt, std::nullopt, "offscreen", true},
        {"platform chosen, X server dead", ":" + std::to_string(dead), std::nullopt, "offscreen", true},
        {"X server answers", ":" + std::to_string(live), std::nullopt, std::nullopt, true},
        {"X server answers, screen given", ":" + std::to_string(live) + ".0", std::nullopt, std::nullopt, true},
        {"X server answers, unix host", "unix:" + std::to_string(live), std::nullopt, std::nullopt, true},
        {"X server dead", ":" + std::to_string(dead), std::nullopt, std::nullopt, false},
        {"X server on another host", "buildhost:0", std::nullopt, std::nullopt, true},
        {"display name malformed", "nonsense", std::nullopt, std::nullopt, false},
        {"compositor answers", std::nullopt, "wayland-7", std::nullopt, true},
        {"compositor by full path", std::nullopt, runtime + "/wayland-7", std::nullopt, true},
        {"compositor absent", std::nullopt, "wayland-9", std::nullopt, false},
        {"X server dead, compositor answers", ":" + std::to_string(dead), "wayland-7", std::nullopt, true},
    };
    for (const auto& c : cases) {
        EnvironmentGuard environment({{"DISPLAY", c.display},
                                      {"WAYLAND_DISPLAY", c.wayland},
                                      {"QT_QPA_PLATFORM", c.platform},
                                      {"XDG_RUNTIME_DIR", runtime}});
        EXPECT_EQ(DisplayAvailable(), c.available) << c.what;
    }
}
