#include "platform/design_lock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A child process that takes the lock on folder, tells the parent through a pipe that it holds
// it, and keeps it until the parent closes the pipe's other end.
class LockHolder {
public:
    explicit LockHolder(const std::string& folder)
    {
        int ready[2], release[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(release), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            DesignLock lock;
            std::string error;
            const bool held = lock.Acquire(folder, 0, nullptr, error) == DesignLock::Result::Held;
            (void)!::write(ready[1], held ? "1" : "0", 1);
            char byte;
            (void)!::read(release[0], &byte, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char byte = 0;
        EXPECT_EQ(::read(ready[0], &byte, 1), 1);
        EXPECT_EQ(byte, '1');
        ::close(ready[0]);
        release_ = release[1];
    }
    ~LockHolder()
    {
        ::close(release_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
};

TEST(DesignLock, AWaiterIsToldTheHolderAndGivesUpAtTheLimitAHandedDownLockDoesNotWait)
{
    char pattern[] = "/tmp/zorvex-lock-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    {
        LockHolder holder(folder);
        DesignLock lock;
        std::string error;
        int told = 0;
        pid_t named = 0;
        EXPECT_EQ(lock.Acquire(folder, 200, [&](pid_t pid) { ++told, named = pid; }, error),
                  DesignLock::Result::Busy);
        EXPECT_EQ(told, 1);
        EXPECT_EQ(named, holder.pid());
        EXPECT_EQ(error, "process " + std::to_string(holder.pid()) + " holds it");
        EXPECT_EQ(lock.fd(), -1);
    }
    // Free again once the holder has ended. Handed down as an inherited descriptor, the held
    // lock is taken at once by a second taker, and giving that up leaves the first one's lock.
    DesignLock first;
    std::string error;
    ASSERT_EQ(first.Acquire(folder, 0, nullptr, error), DesignLock::Result::Held) << error;
    ::setenv(kInheritedDesignLockVariable, std::to_string(first.fd()).c_str(), 1);
    {
        DesignLock handed;
        EXPECT_EQ(handed.Acquire(folder, 0, nullptr, error), DesignLock::Result::Held) << error;
    }
    ::unsetenv(kInheritedDesignLockVariable);
    DesignLock other;
    EXPECT_EQ(other.Acquire(folder, 0, nullptr, error), DesignLock::Result::Busy);
    first.Release();
    EXPECT_EQ(other.Acquire(folder, 0, nullptr, error), DesignLock::Result::Held) << error;
    EXPECT_EQ(other.Acquire(folder + "/missing", 0, nullptr, error), DesignLock::Result::Unavailable);
    ::rmdir(folder.c_str());
}

TEST(DesignLock, AHandedDownDescriptorOfAnotherFolderIsNotTakenForTheLock)
{
    char designPattern[] = "/tmp/zorvex-lock-XXXXXX";
    char otherPattern[] = "/tmp/zorvex-lock-XXXXXX";
    const std::string design = ::mkdtemp(designPattern);
    const std::string otherFolder = ::mkdtemp(otherPattern);
    std::string error;
    DesignLock holder;
    ASSERT_EQ(holder.Acquire(design, 0, nullptr, error), DesignLock::Result::Held) << error;
    // A lock on a folder beside it, on the same device, handed down as if it were the design's.
    DesignLock other;
    ASSERT_EQ(other.Acquire(otherFolder, 0, nullptr, error), DesignLock::Result::Held) << error;
    ::setenv(kInheritedDesignLockVariable, std::to_string(other.fd()).c_str(), 1);
    DesignLock taker;
    EXPECT_EQ(taker.Acquire(design, 0, nullptr, error), DesignLock::Result::Busy);
    ::unsetenv(kInheritedDesignLockVariable);
    ::rmdir(design.c_str());
    ::rmdir(otherFolder.c_str());
}

} // namespace
