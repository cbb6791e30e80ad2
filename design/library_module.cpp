#include "design/library_module.h"

#include "design/library_manifest.h"
#include "platform/regular_file.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
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
    // Installed under a prefix, the programs are in <prefix>/bin and the cores in <prefix>/share.
    folders.push_back(programFolder + "../share/zorvex/hdl/");
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

std::vector<std::string> LibraryModuleCompanions(const std::string& path)
{
    const std::filesystem::path module(path);
    const LibraryFile* entry = LibraryManifest::Installed().Find(module.filename().string());
    std::vector<std::string> companions;
    if (entry == nullptr)
        return companions;
    // The files the module uses that are there beside it.
    for (const std::string& used : entry->uses) {
        const std::string beside = (module.parent_path() / used).string();
        if (IsRegularFile(beside))
            companions.push_back(beside);
    }
    return companions;
}

bool IsIncludedLibraryFile(const std::string& path)
{
    return std::filesystem::path(path).extension() == ".vh";
}

std::string ClashingLibraryUnit(const std::string& baseName, const std::string& extension)
{
    const bool vhdl = extension == ".vhd";
    std::string name = baseName;
    if (vhdl) {
        for (char& c : name)
            c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const LibraryFile& file : LibraryManifest::Installed().files()) {
        const std::string unit = std::filesystem::path(file.name).stem().string();
        if (name == unit)
            return unit;
    }
    return {};
}

std::vector<std::string> LibraryTestbenchUnits(const std::string& extension)
{
    std::vector<std::string> units;
    if (const LibraryFile* testbench = LibraryManifest::Installed().Find(std::string(kLibraryTestbench) + extension)) {
        for (const std::string& used : testbench->uses)
            units.push_back(std::filesystem::path(used).stem().string());
        units.push_back(kLibraryTestbench);
    }
    return units;
}
