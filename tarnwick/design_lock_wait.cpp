#include "tarnwick/design_lock_wait.h"

#include "platform/path_split.h"
#include "platform/printable_text.h"

#include <cstdio>

bool LockDesignFolder(DesignLock& lock, const std::string& designPath, int timeoutSeconds, std::string& error)
{
    const std::string shown = PrintableText(designPath);
    const DesignLock::Result locked = lock.Acquire(
        DesignLock::PathFor(SplitDesignPath(designPath).directory), long(timeoutSeconds) * 1000,
        [&](pid_t holder) {
            std::fprintf(stderr, "tarnwick: waiting for process %d, which holds %s (up to %d s)\n", int(holder),
                         shown.c_str(), timeoutSeconds);
        },
        error);
    if (locked != DesignLock::Result::Busy)
        return true;
    error = "the design " + shown + " is in use: " + error + "; nothing was changed";
    return false;
}
