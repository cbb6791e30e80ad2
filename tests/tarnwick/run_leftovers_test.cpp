#include "tarnwick/run_leftovers.h"

#include "platform/run_stamp.h"

#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A stamp no process has: an id past any the kernel hands out.
const std::string kEnded = "999999999-5";

class RunLeftovers : public TemporaryFolderTest {
protected:
    // A folder as a run makes it: mode 0700, with a file and a folder in it.
    void MakeWorkingFolder(const std::string& name, mode_t mode = 0700) const
    {
        fs::create_directories(folder / name / "inner");
        std::ofstream(folder / name / "inner" / "file") << "made by a run";
        ::chmod((folder / name).c_str(), mode);
    }

    std::vector<std::string> Remove(size_t budget = kLeftoverRemovalsPerRun) const
    {
        return RemoveDeadRunLeftovers(folder.string(), LeftoverPlace::DesignFolder, budget);
    }

};

TEST_F(RunLeftovers, OnlyWhatAnEndedRunMadeIsRemovedAndLinksAreNeverFollowed)
{
    const RunStamp self = RunStamp::OfThisProcess();
    ASSERT_NE(self.start, 0u);
    // This process's id with another start time: a run whose id the kernel has handed on.
    const std::string reused = std::to_string(self.pid) + "-" + std::to_string(self.start + 1);
    const fs::path outside = folder / "outside";
    fs::create_directories(outside);
    std::ofstream(outside / "target") << "the user's";

    struct Case {
        std::string name;
        enum { Folder, OpenFolder, File, Fifo, LinkToFile, LinkToFolder } kind;
        bool removed;
    };
    const Case cases[] = {
        {".tarnwick-" + kEnded + "-a1B2c3", Case::Folder, true},
        {".tarnwick-" + reused + "-x9Y8z7", Case::Folder, true},
        {".tarnwick-kept-" + kEnded + "-Qw3rTy", Case::File, true},
        {".zorvex-" + kEnded + "-AbCd12", Case::File, true},
        {".tarnwick-kept-" + kEnded + "-LnK001", Case::LinkToFile, true},
        // A live run's, whatever its type.
        {".tarnwick-" + self.Text() + "-a1b2c3", Case::Folder, false},
        {".zorvex-" + self.Text() + "-a1b2c3", Case::File, false},
        // Names no run makes: no stamp, a random part of another length, other characters.
        {".tarnwick-4206650-my-notes", Case::Folder, false},
        {".tarnwick-4206651-todo.txt", Case::File, false},
        {".tarnwick-" + kEnded + "-a1b2c", Case::Folder, false},
        {".tarnwick-" + kEnded + "-a1b2c3d", Case::Folder, false},
        {".zorvex-" + kEnded + "-a1.b2c", Case::File, false},
        {".tarnwick-0999999999-5-a1b2c3", Case::Folder, false},
        // The right name with a type or permissions no run gives it.
        {".tarnwick-" + kEnded + "-FiFo00", Case::Fifo, false},
        {".tarnwick-" + kEnded + "-PlAin0", Case::File, false},
        {".tarnwick-" + kEnded + "-0pen00", Case::OpenFolder, false},
        {".tarnwick-" + kEnded + "-LnK002", Case::LinkToFolder, false},
        {".zorvex-" + kEnded + "-D1r000", Case::Folder, false},
    };
    for (const Case& c : cases) {
        const fs::path path = folder / c.name;
        switch (c.kind) {
        case Case::Folder:
            MakeWorkingFolder(c.name);
            break;
        case Case::OpenFolder:
            MakeWorkingFolder(c.name, 0755);
            break;
        case Case::File:
            std::ofstream(path) << "a file";
            break;
        case Case::Fifo:
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
            break;
        case Case::LinkToFile:
            fs::create_symlink(outside / "target", path);
            break;
        case Case::LinkToFolder:
            fs::create_directory_symlink(outside, path);
            break;
        }
    }
    Remove();
    for (const Case& c : cases)
        EXPECT_EQ(!fs::exists(fs::symlink_status(folder / c.name)), c.removed) << c.name;
    EXPECT_TRUE(fs::exists(outside / "target"));
}

TEST_F(RunLeftovers, AnotherUsersFolderIsLeft)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser can give a folder to another user";
    const std::string name = ".tarnwick-" + kEnded + "-0ther0";
    MakeWorkingFolder(name);
    ASSERT_EQ(::chown((folder / name).c_str(), 65534, 65534), 0);
    Remove();
    EXPECT_TRUE(fs::exists(folder / name / "inner" / "file"));
}

TEST_F(RunLeftovers, WorkIsBoundedAndTheRestIsLeftForTheNextRun)
{
    for (int i = 0; i < 350; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, ".zorvex-%s-n%05d", kEnded.c_str(), i);
        std::ofstream(folder / name) << i;
    }
    size_t budget = 300;
    EXPECT_EQ(RemoveDeadRunLeftovers(folder.string(), LeftoverPlace::DesignFolder, budget).size(), 300u);
    EXPECT_EQ(budget, 0u);
    EXPECT_EQ(Remove().size(), 50u);
    EXPECT_TRUE(fs::is_empty(folder));
}

// In a child with a mount namespace of its own: mounts a file system with a file on it at where
// (in the folder), removes the leftovers and ends with 0 when the file is still there, 1 when it
// is not, 77 when the mount cannot be made.
int MountedFileSurvives(const fs::path& folder, const fs::path& where)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const uid_t uid = ::geteuid();
        const gid_t gid = ::getegid();
        if (::unshare(CLONE_NEWNS) != 0) {
            // Without the right to mount, a user namespace gives it.
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                ::_exit(77);
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
            std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
        }
        // Owned by the user and 0700, as a run's folder: only the file system tells it apart.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("tmpfs", where.c_str(), "tmpfs", 0, "mode=0700") != 0)
            ::_exit(77);
        std::ofstream(where / "on-another-file-system") << "the user's";
        size_t budget = kLeftoverRemovalsPerRun;
        RemoveDeadRunLeftovers(folder.string(), LeftoverPlace::DesignFolder, budget);
        ::_exit(fs::exists(where / "on-another-file-system") ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}

TEST_F(RunLeftovers, AnotherFileSystemIsNeverEntered)
{
    const std::string name = ".tarnwick-" + kEnded + "-M0unt0";
    for (const fs::path& where : {folder / name, folder / name / "inner"}) {
        SCOPED_TRACE(where.string());
        MakeWorkingFolder(name);
        const int survived = MountedFileSurvives(folder, where);
        if (survived == 77)
            GTEST_SKIP() << "no file system can be mounted here";
        EXPECT_EQ(survived, 0);
        fs::remove_all(folder / name);
    }
}

} // namespace
