#include "tarnwick/library_module.h"

#include "platform/regular_file.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

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

bool IdentifierCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

char Lower(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

// Whether text uses the library unit name as a unit: in VHDL as work.name (an entity or a
// package of the library), in Verilog as the module of an instance, name followed by its
// parameters (#) or by an instance name and its ports.
bool UsesUnit(const std::string& text, const std::string& name, bool vhdl)
{
    const std::string word = vhdl ? "work." + name : name;
    std::string searched = text;
    if (vhdl)
        std::transform(searched.begin(), searched.end(), searched.begin(), Lower);
    for (size_t at = searched.find(word); at != std::string::npos; at = searched.find(word, at + 1)) {
        size_t end = at + word.size();
        if ((at > 0 && IdentifierCharacter(searched[at - 1])) || (end < searched.size() && IdentifierCharacter(searched[end])))
            continue;
        if (vhdl)
            return true;
        const auto skipBlanks = [&](size_t k) {
            while (k < searched.size() && std::isspace(static_cast<unsigned char>(searched[k])))
                ++k;
            return k;
        };
        size_t next = skipBlanks(end);
        if (next < searched.size() && searched[next] == '#')
            return true;
        const size_t instance = next;
        while (next < searched.size() && IdentifierCharacter(searched[next]))
            ++next;
        next = skipBlanks(next);
        if (next > instance && next < searched.size() && searched[next] == '(')
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
            && IsRegularFile(other.string()) && UsesUnit(text.str(), other.stem().string(), module.extension() == ".vhd"))
            companions.push_back(other.string());
    }
    std::sort(companions.begin(), companions.end());
    return companions;
}
