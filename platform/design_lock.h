#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

// The environment variable through which a process that holds a design's lock hands it to the
// wizard it starts on that design: the number of the inherited descriptor of the lock file.
extern const char* const kInheritedDesignLockVariable;

// The advisory lock that lets one run at a time write a design's files: an exclusive flock on the
// folder that holds the design's retrieval information.
class DesignLock {
public:
    DesignLock() = default;
    ~DesignLock();
    DesignLock(const DesignLock&) = delete;
    DesignLock& operator=(const DesignLock&) = delete;

    // What is locked for the design whose retrieval information is directory + baseName + ".cnx".
    static std::string PathFor(const std::string& directory);

    // Held: the lock is this process's. Busy: another process held it all the time allowed.
    // Unavailable: the folder cannot be opened or locked at all (a missing folder, say).
    enum class Result { Held, Busy, Unavailable };

    // Takes the lock at path, waiting up to timeoutMilliseconds while another process holds it;
    // onWait is called once, with the holder's process id (0 when unknown), when it must wait.
    // Anything but Held comes with the reason in error.
    Result Acquire(const std::string& path, long timeoutMilliseconds, const std::function<void(pid_t)>& onWait,
                   std::string& error);

    // The locked folder's descriptor while the lock is held, else -1; close-on-exec is set.
    int fd() const { return fd_; }

    // Gives the lock up (a handed-down lock stays with the process that handed it down).
    void Release();

private:
    int fd_ = -1;
    bool inherited_ = false;
};
