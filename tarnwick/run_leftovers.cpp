#include "tarnwick/run_leftovers.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace {

// The process id a leftover's name gives after prefix, or 0 when it gives none.
pid_t OwnerOf(std::string_view name, std::string_view prefix)
{
    if (name.substr(0, prefix.size()) != prefix)
        return 0;
    name.remove_prefix(prefix.size());
    long pid = 0;
    const auto [end, failed] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (failed != std::errc() || end == name.data() || end == name.data() + name.size() || *end != '-' || pid <= 0)
        return 0;
    return pid_t(pid);
}

// Whether no process has the id any more.
bool Gone(pid_t pid)
{
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

std::vector<std::string> RemoveDeadRunLeftovers(const std::string& directory)
{
    std::vector<std::string> removed;
    std::error_code failed;
    const std::filesystem::path folder = directory.empty() ? std::string(".") : directory;
    for (const auto& entry : std::filesystem::directory_iterator(folder, failed)) {
        const std::string name = entry.path().filename().string();
        pid_t owner = OwnerOf(name, ".tarnwick-kept-");
        const bool kept = owner != 0;
        if (!kept)
            owner = OwnerOf(name, ".tarnwick-");
        if (owner == 0 || !Gone(owner))
            continue;
        std::error_code ignored;
        // A kept link is one name of a file; a working folder goes with what is in it. Neither is
        // followed if it is a symbolic link.
        if (kept || entry.is_symlink(ignored))
            std::filesystem::remove(entry.path(), ignored);
        else
            std::filesystem::remove_all(entry.path(), ignored);
        if (!ignored)
            removed.push_back(name);
    }
    return removed;
}
