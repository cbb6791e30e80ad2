#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("zorvex-atomic-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Read(const fs::path& path) const
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    size_t Entries() const { return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator())); }

    fs::path dir;
};

} // namespace

TEST_F(AtomicFileTest, ReplacesAnExistingFileWholeAndLeavesNoTemporary)
{
    std::ofstream(dir / "f.cnx") << "old text that is longer than the new one\n";
    AtomicFile file;
    ASSERT_TRUE(file.Open((dir / "f.cnx").string()));
    // More than one buffer's worth, so that the text is written in several pieces.
    const std::string line(1000, 'x');
    for (int i = 0; i < 300; ++i)
        file.stream() << line << '\n';
    EXPECT_TRUE(file.Commit());
    const std::string text = Read(dir / "f.cnx");
    EXPECT_EQ(text.size(), 300u * 1001u);
    EXPECT_EQ(text.substr(0, 1000), line);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, CreatesANewFile)
{
    AtomicFile file;
    ASSERT_TRUE(file.Open((dir / "new.vec").string()));
    file.stream() << "START 0;\n";
    EXPECT_TRUE(file.Commit());
    EXPECT_EQ(Read(dir / "new.vec"), "START 0;\n");
}

TEST_F(AtomicFileTest, UncommittedFileLeavesTheOldOneAndNoTemporary)
{
    std::ofstream(dir / "f.cnx") << "old\n";
    {
        AtomicFile file;
        ASSERT_TRUE(file.Open((dir / "f.cnx").string()));
        file.stream() << "half";
    }
    EXPECT_EQ(Read(dir / "f.cnx"), "old\n");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, MissingDirectoryCannotBeOpened)
{
    AtomicFile file;
    EXPECT_FALSE(file.Open((dir / "missing" / "f.cnx").string()));
    EXPECT_FALSE(file.Commit());
}

TEST_F(AtomicFileTest, DirectoryInTheWayFailsTheCommitAndStays)
{
    fs::create_directory(dir / "f.cnx");
    AtomicFile file;
    ASSERT_TRUE(file.Open((dir / "f.cnx").string()));
    file.stream() << "text\n";
    EXPECT_FALSE(file.Commit());
    EXPECT_TRUE(fs::is_directory(dir / "f.cnx"));
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, WriteErrorFailsTheCommitAndKeepsTheOldFile)
{
    std::ofstream(dir / "f.vec") << "old\n";
    // In a child process whose files may not grow beyond 4 KiB, every larger write fails.
    const std::string path = (dir / "f.vec").string();
    auto writeTooMuch = [&path] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        AtomicFile file;
        if (!file.Open(path))
            std::_Exit(2);
        file.stream() << std::string(200000, 'x');
        std::_Exit(file.Commit() ? 1 : 0);
    };
    EXPECT_EXIT(writeTooMuch(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Read(dir / "f.vec"), "old\n");
    EXPECT_EQ(Entries(), 1u);
}
