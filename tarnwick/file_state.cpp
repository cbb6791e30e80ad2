#include "tarnwick/file_state.h"

#include <filesystem>
#include <sys/stat.h>

FileState FileState::Of(const std::string& path)
{
    FileState state;
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return state;
    state = {true, status.st_dev, status.st_ino, status.st_size, status.st_mtim};
    return state;
}

bool FileState::operator==(const FileState& other) const
{
    return exists == other.exists
        && (!exists
            || (device == other.device && inode == other.inode && size == other.size
                && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec));
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    std::error_code ignored;
    return std::filesystem::weakly_canonical(a, ignored) == std::filesystem::weakly_canonical(b, ignored);
}
