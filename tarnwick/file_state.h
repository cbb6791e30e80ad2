#pragma once

#include <ctime>
#include <string>
#include <sys/types.h>

// What a file was before the run, to tell afterwards whether the run changed it: a replaced file
// is a new inode, an edited one has a new time or size.
struct FileState {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    static FileState Of(const std::string& path);
    bool operator==(const FileState& other) const;
};

// Whether path names one of the run's files, now or once they exist: the same folder entry.
bool SameFile(const std::string& a, const std::string& b);
