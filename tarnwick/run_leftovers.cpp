#include "tarnwick/run_leftovers.h"

#include "design/design.h"
#include "platform/run_stamp.h"
#include "platform/temporary_folder.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How deep a leftover folder is emptied; a run's folders are a few levels deep.
constexpr int kMaxDepth = 16;

// The length of the random part mkdtemp and the runs' own names end in.
constexpr size_t kRandomLength = 6;

// One kind of entry a run makes: its name's prefix before the stamp and the types it may have.
struct Shape {
    std::string_view prefix;
    bool folder;
    bool maybeLink;
};

constexpr Shape kDesignFolderShapes[] = {
    {kKeptFilePrefix, false, true}, // a link of the older file, which may itself be a link
    {".zorvex-", false, true}, // a new file, or the older one exchanged with it
    {kWorkingFolderPrefix, true, false}, // a working folder
};
constexpr Shape kTemporaryFolderShapes[] = {
    {"tarnwick-sim-", true, false},
};

bool IsRandomPart(std::string_view text)
{
    if (text.size() != kRandomLength)
        return false;
    for (const char c : text) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// The shape whose name name has, with the run's stamp; null when it has none of them.
const Shape* ShapeOfName(std::string_view name, LeftoverPlace place, RunStamp& stamp)
{
    const bool design = place == LeftoverPlace::DesignFolder;
    const Shape* begin = design ? std::begin(kDesignFolderShapes) : std::begin(kTemporaryFolderShapes);
    const Shape* end = design ? std::end(kDesignFolderShapes) : std::end(kTemporaryFolderShapes);
    for (const Shape* shape = begin; shape != end; ++shape) {
        std::string_view rest;
        if (name.substr(0, shape->prefix.size()) == shape->prefix
            && ParseRunStamp(name.substr(shape->prefix.size()), stamp, rest) && IsRandomPart(rest))
            return shape;
    }
    return nullptr;
}

// Whether what is at status is what a run makes under shape, on the folder's file system and the
// running user's.
bool HasShape(const struct stat& status, const Shape& shape, dev_t device)
{
    if (status.st_dev != device || status.st_uid != ::geteuid())
        return false;
    if (shape.folder)
        return S_ISDIR(status.st_mode) && (status.st_mode & 07777) == 0700;
    return S_ISREG(status.st_mode) || (shape.maybeLink && S_ISLNK(status.st_mode));
}

// Removes everything in the folder open at fd that is on device, within budget; never follows a
// link, never enters another file system. True when the folder is left empty.
bool EmptyFolder(int fd, dev_t device, int depth, size_t& budget)
{
    const int listed = ::dup(fd);
    DIR* folder = listed < 0 ? nullptr : ::fdopendir(listed);
    if (folder == nullptr) {
        if (listed >= 0)
            ::close(listed);
        return false;
    }
    bool empty = true;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (budget == 0) {
            empty = false;
            break;
        }
        struct stat status {};
        if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 || status.st_dev != device) {
            empty = false;
            continue;
        }
        if (S_ISDIR(status.st_mode)) {
            const int inner =
                depth < kMaxDepth ? ::openat(fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC) : -1;
            struct stat opened {};
            const bool same =
                inner >= 0 && ::fstat(inner, &opened) == 0 && opened.st_dev == device && opened.st_ino == status.st_ino;
            const bool emptied = same && EmptyFolder(inner, device, depth + 1, budget);
            if (inner >= 0)
                ::close(inner);
            if (emptied && budget > 0 && ::unlinkat(fd, entry->d_name, AT_REMOVEDIR) == 0)
                --budget;
            else
                empty = false;
        } else if (::unlinkat(fd, entry->d_name, 0) == 0) {
            --budget;
        } else {
            empty = false;
        }
    }
    ::closedir(folder);
    return empty;
}

// Removes the leftover name in the folder open at fd when it has shape; true when it is gone.
bool RemoveLeftover(int fd, const char* name, const Shape& shape, dev_t device, size_t& budget)
{
    struct stat status {};
    if (::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !HasShape(status, shape, device))
        return false;
    if (!shape.folder) {
        if (::unlinkat(fd, name, 0) != 0)
            return false;
        --budget;
        return true;
    }
    // Opened without following a link, and checked again as opened: what is emptied is what was
    // judged, and a file system mounted on it is another device.
    const int inner = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat opened {};
    const bool same =
        inner >= 0 && ::fstat(inner, &opened) == 0 && opened.st_ino == status.st_ino && HasShape(opened, shape, device);
    const bool emptied = same && EmptyFolder(inner, device, 1, budget);
    if (inner >= 0)
        ::close(inner);
    if (!emptied || budget == 0 || ::unlinkat(fd, name, AT_REMOVEDIR) != 0)
        return false;
    --budget;
    return true;
}

} // namespace

std::vector<std::string> RemoveDeadRunLeftovers(const std::string& directory, LeftoverPlace place, size_t& budget)
{
    std::vector<std::string> removed;
    const int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return removed;
    struct stat own {};
    const int listed = ::fstat(fd, &own) == 0 ? ::dup(fd) : -1;
    DIR* folder = listed < 0 ? nullptr : ::fdopendir(listed);
    if (folder == nullptr) {
        if (listed >= 0)
            ::close(listed);
        ::close(fd);
        return removed;
    }
    // The names first: removing while the folder is read may skip or repeat entries.
    std::vector<std::pair<std::string, const Shape*>> candidates;
    while (const dirent* entry = ::readdir(folder)) {
        if (candidates.size() >= budget)
            break;
        // Names of the right shape whose entries are not (a user's FIFO, say) take no place of
        // the run's leftovers.
        RunStamp stamp;
        struct stat status {};
        if (const Shape* shape = ShapeOfName(entry->d_name, place, stamp); shape != nullptr
            && ::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && HasShape(status, *shape, own.st_dev)
            && RunHasEnded(stamp))
            candidates.emplace_back(entry->d_name, shape);
    }
    ::closedir(folder);
    for (const auto& [name, shape] : candidates) {
        if (budget == 0)
            break;
        if (RemoveLeftover(fd, name.c_str(), *shape, own.st_dev, budget))
            removed.push_back(name);
    }
    ::close(fd);
    return removed;
}

void RemoveLeftoversOfEndedRuns(const std::string& designDirectory)
{
    size_t budget = kLeftoverRemovalsPerRun;
    RemoveDeadRunLeftovers(designDirectory, LeftoverPlace::DesignFolder, budget);
    struct stat design {};
    struct stat current {};
    const bool same = ::stat(designDirectory.empty() ? "." : designDirectory.c_str(), &design) == 0
        && ::stat(".", &current) == 0 && design.st_dev == current.st_dev && design.st_ino == current.st_ino;
    if (!same)
        RemoveDeadRunLeftovers(".", LeftoverPlace::DesignFolder, budget);
    RemoveDeadRunLeftovers(TemporaryBase(), LeftoverPlace::TemporaryFolder, budget);
}
