#pragma once

#include <string>
#include <vector>

// One file of the cores' library and the library files it uses, in the order they come before it.
struct LibraryFile {
    std::string name; // "conv_qzram.vhd"
    std::vector<std::string> uses;
};

// The cores' library as its manifest (hdl/library_units.txt) lists it: the one list of its files.
class LibraryManifest {
public:
    // Reads the manifest's lines: a file name and the names it uses; '#' starts a comment.
    static LibraryManifest Parse(const std::string& text);
    // The manifest the build took from the library.
    static const LibraryManifest& Installed();

    const std::vector<LibraryFile>& files() const { return files_; }
    // The entry of the file named name; null when the library has no such file.
    const LibraryFile* Find(const std::string& name) const;

private:
    std::vector<LibraryFile> files_;
};
