#include "platform/path_lookup.h"

#include "platform/path_split.h"
#include "platform/regular_file.h"

#include <cstdlib>
#include <sstream>
#include <unistd.h>

std::string FindOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (IsRegularFile(candidate) && ::access(candidate.c_str(), X_OK) == 0)
            return AbsolutePath(candidate);
    }
    return {};
}
