#pragma once

#include <string>

// A path split by POSIX rules: only '/' separates and there are no drives.
struct SplitPath {
    std::string directory; // up to and including the last '/'; empty when there is none
    std::string baseName; // the rest up to its last dot
    std::string extension; // from that dot on, including it; empty when there is no dot
};

SplitPath SplitDesignPath(const std::string& path);

// The design path as the wizard takes it from its file name: without the white space before it
// (the white space after it stays).
std::string TrimDesignPath(const std::string& fileName);

// path as the reports give it: absolute, with no "." or ".." left; path itself when the current
// folder cannot be told.
std::string AbsolutePath(const std::string& path);

// The files named after a design beside it: its retrieval information, vector file, include file,
// component declaration, symbol, waveform and the waveform viewer's settings.
enum class Sibling { RetrievalInfo, Vectors, Include, ComponentDeclaration, Symbol, Waveform, WaveformView };

// The sibling's extension, ".cnx" for the retrieval information and so on.
const char* SiblingExtension(Sibling sibling);
