#include "tarnwick/library_module.h"

#include <cstdlib>
#include <sys/stat.h>
#include <vector>

namespace {

bool IsRegularFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

std::string FindLibraryModuleSource(const std::string& module, const std::string& extension,
                                    const std::string& selfPath)
{
    const size_t slash = selfPath.rfind('/');
    const std::string programFolder = slash == std::string::npos ? std::string("./") : selfPath.substr(0, slash + 1);
    std::vector<std::string> folders;
    if (const char* given = std::getenv("ZORVEX_HDL_DIR"); given != nullptr && *given != '\0')
        folders.push_back(std::string(given) + "/");
    folders.push_back(programFolder + "hdl/");
    // The package keeps the programs in /usr/lib/zorvex/bin and the shared data in /usr/share.
    folders.push_back(programFolder + "../../../share/zorvex/hdl/");
    folders.push_back("/usr/share/zorvex/hdl/");
    for (const std::string& folder : folders) {
        const std::string path = folder + module + extension;
        if (IsRegularFile(path))
            return path;
    }
    return {};
}
