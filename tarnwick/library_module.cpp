#include "tarnwick/library_module.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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

namespace {

// Whether word stands in text with no letter, digit or '_' on either side.
bool HoldsWord(const std::string& text, const std::string& word)
{
    const auto part = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; };
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool before = at > 0 && part(text[at - 1]);
        const bool after = at + word.size() < text.size() && part(text[at + word.size()]);
        if (!before && !after)
            return true;
    }
    return false;
}

} // namespace

std::vector<std::string> LibraryModuleCompanions(const std::string& path)
{
    namespace fs = std::filesystem;
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    const fs::path module(path);
    std::vector<std::string> companions;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(module.parent_path(), error)) {
        const fs::path& other = entry.path();
        if (other.extension() == module.extension() && other.filename() != module.filename()
            && IsRegularFile(other.string()) && HoldsWord(text.str(), other.stem().string()))
            companions.push_back(other.string());
    }
    std::sort(companions.begin(), companions.end());
    return companions;
}
