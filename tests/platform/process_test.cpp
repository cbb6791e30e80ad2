#include "platform/process.h"
#include "platform/regular_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/zorvex-process-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits, a bounded time, until check holds.
template <typename Check>
bool Eventually(Check check)
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (check())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Children of this process that have ended but were never waited for.
int ZombieChildren()
{
    int zombies = 0;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return 0;
    const std::string self = std::to_string(::getpid());
    while (const dirent* entry = ::readdir(proc)) {
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (comm) state ppid ...: the command name may hold blanks, so read after its ')'.
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        std::string state;
        std::string parent;
        fields >> state >> parent;
        if (parent == self && state == "Z")
            ++zombies;
    }
    ::closedir(proc);
    return zombies;
}

// Puts a directory first on the search path for the life of the object.
class SearchPathFront {
public:
    explicit SearchPathFront(const std::string& directory, bool only = false)
    {
        const char* old = std::getenv("PATH");
        saved_ = old != nullptr ? old : "";
        ::setenv("PATH", only ? directory.c_str() : (directory + ":" + saved_).c_str(), 1);
    }
    ~SearchPathFront() { ::setenv("PATH", saved_.c_str(), 1); }

private:
    std::string saved_;
};

} // namespace

TEST(FileExists, OnlyReadableRegularFilesExist)
{
    TempDir dir;
    WriteFile(dir.File("guide.pdf"), "%PDF");
    WriteFile(dir.File("empty"), "");
    ::mkdir(dir.File("folder").c_str(), 0755);
    ::mkfifo(dir.File("pipe").c_str(), 0644);
    EXPECT_TRUE(FileExists(dir.File("guide.pdf")));
    EXPECT_TRUE(FileExists(dir.File("empty")));
    EXPECT_FALSE(FileExists(dir.File("missing.pdf")));
    EXPECT_FALSE(FileExists(dir.File("folder")));
    // A named pipe without a writer would hold up a plain open for reading.
    EXPECT_FALSE(FileExists(dir.File("pipe")));
    EXPECT_FALSE(FileExists(""));
}

TEST(ReadRegularFile, FileOfTheLimitIsReadWholeAndALargerOneIsRefused)
{
    TempDir dir;
    // The wizard's bound for retrieval information.
    const size_t limit = size_t(16) << 20;
    const struct {
        const char* what;
        size_t size;
        bool read;
    } cases[] = {
        {"exactly the limit", limit, true},
        {"one byte more", limit + 1, false},
    };
    for (const auto& c : cases) {
        // Lines that differ, so that a text cut short or read twice cannot look whole.
        std::string text;
        for (int line = 0; text.size() < c.size; ++line)
            text += "PRIVATE: LINE NUMERIC \"" + std::to_string(line) + "\"\n";
        text.resize(c.size);
        WriteFile(dir.File("f.cnx"), text);
        std::string contents = "left from before";
        EXPECT_EQ(ReadRegularFile(dir.File("f.cnx"), limit, contents), c.read) << c.what;
        EXPECT_TRUE(contents == (c.read ? text : std::string())) << c.what << ": " << contents.size() << " bytes";
    }
}

TEST(ExecutablePath, IsTheRunningTestProgram)
{
    const std::string path = ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "platform_tests");
    EXPECT_TRUE(FileExists(path));
}

TEST(StartDocumentViewer, PassesThePathAsOneArgumentWithoutAShell)
{
    TempDir dir;
    const std::string record = dir.File("record");
    // A stand-in viewer that writes down how many arguments it got and the first one.
    WriteFile(dir.File("xdg-open"), "#!/bin/sh\nprintf '%s\\n%s' \"$#\" \"$1\" > '" + record
                                        + ".part'\nmv '" + record + ".part' '" + record + "'\n");
    ::chmod(dir.File("xdg-open").c_str(), 0755);
    const SearchPathFront path(dir.path());

    const std::string guide = dir.path() + "/my docs/it's a \"guide\"; $(touch " + dir.File("injected")
                              + ") & `id` *.pdf";
    ASSERT_TRUE(StartDocumentViewer(guide));
    ASSERT_TRUE(Eventually([&] { return FileExists(record); }));
    EXPECT_EQ(ReadFile(record), "1\n" + guide);
    EXPECT_FALSE(FileExists(dir.File("injected")));
    // The viewer is not waited for, yet once it has ended it leaves no zombie behind.
    EXPECT_TRUE(Eventually([] { return ZombieChildren() == 0; }));
}

TEST(StartDocumentViewer, FailsWhenNoViewerIsInstalled)
{
    TempDir dir;
    const SearchPathFront path(dir.path(), true);
    EXPECT_FALSE(StartDocumentViewer("/tmp/guide.pdf"));
}
