#include "tarnwick/design_install.h"

#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class DesignInstallTest : public TemporaryFolderTest {
protected:
    std::string Path(const std::string& name) const { return (folder / name).string(); }
    void Write(const std::string& name, const std::string& text) const { std::ofstream(folder / name) << text; }

    // Every entry of the folder with its text, hidden ones included.
    std::map<std::string, std::string> Files() const
    {
        std::map<std::string, std::string> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            std::ostringstream text;
            if (entry.is_regular_file())
                text << std::ifstream(entry.path()).rdbuf();
            files[entry.path().filename().string()] = entry.is_regular_file() ? text.str() : "(folder)";
        }
        return files;
    }

};

TEST_F(DesignInstallTest, EveryFileChangesOrNoneDoesAndNothingHiddenIsLeft)
{
    const auto regenerable = AtomicFile::Durability::Regenerable;
    // Each case fails (or not) at a different place of the set: the first file, one in the middle,
    // the retrieval information that comes last, or nowhere.
    const struct {
        const char* folderInTheWay; // a target that is a folder, which no file replaces
        bool committed;
    } cases[] = {{"", true}, {"f.vhd", false}, {"f.cmp", false}, {"f.cnx", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folderInTheWay);
        fs::remove_all(folder);
        fs::create_directories(folder);
        Write("f.vec", "old vectors");
        Write("f.cmp", "old component");
        Write("staged.cnx", "new settings");
        if (*c.folderInTheWay != '\0') {
            fs::remove(folder / c.folderInTheWay);
            fs::create_directory(folder / c.folderInTheWay);
        }
        const std::map<std::string, std::string> before = Files();
        std::string error;
        {
            DesignInstall install;
            // The wizard replaces the vectors itself, once the older file is kept.
            ASSERT_TRUE(install.Keep(Path("f.vec"), error)) << error;
            Write("f.vec.new", "wizard's new vectors");
            fs::rename(folder / "f.vec.new", folder / "f.vec");
            ASSERT_TRUE(install.AddText(Path("f.vhd"), "new design", regenerable, error) || *c.folderInTheWay);
            ASSERT_TRUE(install.AddText(Path("f.cmp"), "new component", regenerable, error));
            ASSERT_TRUE(install.AddCopy(Path("staged.cnx"), Path("f.cnx"), AtomicFile::Durability::Durable, error));
            EXPECT_EQ(install.Commit(error), c.committed) << error;
        }
        std::map<std::string, std::string> after = Files();
        if (c.committed) {
            EXPECT_EQ(after, (std::map<std::string, std::string>{{"f.vec", "wizard's new vectors"},
                                                                 {"f.vhd", "new design"},
                                                                 {"f.cmp", "new component"},
                                                                 {"f.cnx", "new settings"},
                                                                 {"staged.cnx", "new settings"}}));
        } else {
            EXPECT_EQ(after, before);
            EXPECT_EQ(error, "cannot replace " + Path(c.folderInTheWay) + ": Is a directory");
        }
    }
}

TEST_F(DesignInstallTest, AFolderThatCannotBeForcedToTheDiskLeavesEveryNewFileInPlace)
{
    Write("f.vhd", "old design");
    Write("f.cnx", "old settings");
    std::string error;
    DesignInstall install;
    ASSERT_TRUE(install.AddText(Path("f.vhd"), "new design", AtomicFile::Durability::Durable, error)) << error;
    ASSERT_TRUE(install.AddText(Path("f.cnx"), "new settings", AtomicFile::Durability::Durable, error)) << error;
    // No descriptor is left to open the folder with, so forcing it to the disk fails for each file.
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lowestFree, 0);
    ::close(lowestFree);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(lowestFree);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const bool committed = install.Commit(error);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_FALSE(committed);
    EXPECT_EQ(error, "the new files are in place, but their folder could not be forced to the disk");
    EXPECT_EQ(Files(), (std::map<std::string, std::string>{{"f.vhd", "new design"}, {"f.cnx", "new settings"}}));
}

TEST_F(DesignInstallTest, ASourceThatCannotBeReadIsAFailureAndAMissingOneAddsNothing)
{
    std::string error;
    DesignInstall install;
    fs::create_directory(folder / "staged.cnx");
    EXPECT_FALSE(install.AddCopy(Path("staged.cnx"), Path("f.cnx"), AtomicFile::Durability::Durable, error));
    EXPECT_EQ(error, "cannot read " + Path("staged.cnx"));
    error.clear();
    EXPECT_TRUE(install.AddCopy(Path("missing.vec"), Path("f.vec"), AtomicFile::Durability::Regenerable, error));
    EXPECT_TRUE(install.Commit(error)) << error;
    EXPECT_EQ(Files(), (std::map<std::string, std::string>{{"staged.cnx", "(folder)"}}));
}

TEST_F(DesignInstallTest, AbandonedSetPutsBackWhatTheWizardReplacedAndRemovesWhatItMade)
{
    Write("f.cnx", "old settings");
    std::string error;
    {
        DesignInstall install;
        ASSERT_TRUE(install.Keep(Path("f.cnx"), error));
        ASSERT_TRUE(install.Keep(Path("f.vec"), error)); // none yet
        Write("f.cnx.new", "new settings");
        fs::rename(folder / "f.cnx.new", folder / "f.cnx");
        Write("f.vec", "new vectors");
        ASSERT_TRUE(install.AddText(Path("f.vhd"), "new design", AtomicFile::Durability::Regenerable, error));
        // Destroyed without a commit, as by a failure before it.
    }
    EXPECT_EQ(Files(), (std::map<std::string, std::string>{{"f.cnx", "old settings"}}));
}

} // namespace
