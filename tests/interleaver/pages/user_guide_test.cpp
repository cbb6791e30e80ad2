#include "interleaver/user_guide.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(UserGuidePath, InstalledExecutableLooksBesideItsDirectory)
{
    struct Case {
        const char* executable;
        const char* guide;
    };
    const Case cases[] = {
        {"/opt/tools/bin/zorvex", "/opt/tools/bin/../zorvex_core/doc/zorvex_guide.pdf"},
        {"/home/a b/zorvex", "/home/a b/../zorvex_core/doc/zorvex_guide.pdf"},
        {"/zorvex", "/../zorvex_core/doc/zorvex_guide.pdf"},
        // Any other file name, or the name in other letter case, looks from the current directory.
        {"zorvex", "../zorvex_core/doc/zorvex_guide.pdf"},
        {"/opt/zorvex/bin/wizard", "../zorvex_core/doc/zorvex_guide.pdf"},
        {"/opt/tools/Zorvex", "../zorvex_core/doc/zorvex_guide.pdf"},
        {"/opt/tools/zorvex.exe", "../zorvex_core/doc/zorvex_guide.pdf"},
        {"/opt/tools/zorvex2", "../zorvex_core/doc/zorvex_guide.pdf"},
        {"", "../zorvex_core/doc/zorvex_guide.pdf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UserGuidePath(c.executable), c.guide) << c.executable;
}

// An installation in a scratch directory whose name holds blanks and shell characters, with a
// stand-in viewer on the search path that appends each path it is given to a log.
class OpenUserGuideTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("zorvex guide $(x) 'q' " + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "viewer");
        log = root / "opened.log";
        const fs::path viewer = root / "viewer" / "xdg-open";
        std::ofstream(viewer) << "#!/bin/sh\nprintf '%s\\n' \"$#:$1\" >> \"$ZORVEX_VIEWER_LOG\"\n";
        fs::permissions(viewer, fs::perms::owner_all);
        savedPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        ::setenv("PATH", ((root / "viewer").string() + ":" + savedPath).c_str(), 1);
        ::setenv("ZORVEX_VIEWER_LOG", log.c_str(), 1);
    }
    void TearDown() override
    {
        ::setenv("PATH", savedPath.c_str(), 1);
        ::unsetenv("ZORVEX_VIEWER_LOG");
        fs::remove_all(root);
    }

    void InstallGuide()
    {
        fs::create_directories(root / "zorvex_core" / "doc");
        std::ofstream(root / "zorvex_core" / "doc" / "zorvex_guide.pdf") << "%PDF-1.4\n";
    }

    // The viewer is not waited for, so its log is read once the expected number of lines is there.
    std::vector<std::string> WaitForLog(size_t lines)
    {
        std::vector<std::string> read;
        for (int attempt = 0; attempt < 200; ++attempt) {
            read.clear();
            std::ifstream in(log);
            for (std::string line; std::getline(in, line);)
                read.push_back(line);
            if (read.size() >= lines)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return read;
    }

    fs::path root;
    fs::path log;
    std::string savedPath;
};

TEST_F(OpenUserGuideTest, PresentGuideIsHandedToTheViewerAsOneArgument)
{
    InstallGuide();
    const std::string executable = (root / "bin" / "zorvex").string();
    OpenUserGuide(executable);
    OpenUserGuide(executable);
    const std::string expected = "1:" + (root / "bin").string() + "/../zorvex_core/doc/zorvex_guide.pdf";
    EXPECT_EQ(WaitForLog(2), (std::vector<std::string>{expected, expected}));
}

TEST_F(OpenUserGuideTest, MissingGuideStartsNothing)
{
    // A wizard under another name looks from the current directory, where there is no guide.
    OpenUserGuide((root / "bin" / "wizard").string());
    OpenUserGuide((root / "bin" / "zorvex").string());
    InstallGuide();
    OpenUserGuide((root / "bin" / "zorvex").string());
    // Only the call made after the guide was installed reached the viewer.
    EXPECT_EQ(WaitForLog(1).size(), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(WaitForLog(1).size(), 1u);
}

} // namespace
