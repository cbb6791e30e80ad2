#include "design/library_manifest.h"

#include <sstream>

// The manifest's text, as the build embeds it (library_manifest_text.cpp, made from hdl/).
extern const char* const kLibraryManifestText;

LibraryManifest LibraryManifest::Parse(const std::string& text)
{
    LibraryManifest manifest;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        LibraryFile file;
        if (!(words >> file.name))
            continue;
        for (std::string used; words >> used;)
            file.uses.push_back(used);
        manifest.files_.push_back(file);
    }
    return manifest;
}

const LibraryManifest& LibraryManifest::Installed()
{
    static const LibraryManifest kInstalled = Parse(kLibraryManifestText);
    return kInstalled;
}

const LibraryFile* LibraryManifest::Find(const std::string& name) const
{
    for (const LibraryFile& file : files_) {
        if (file.name == name)
            return &file;
    }
    return nullptr;
}
