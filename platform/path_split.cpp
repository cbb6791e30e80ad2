#include "platform/path_split.h"

#include <filesystem>

SplitPath SplitDesignPath(const std::string& path)
{
    SplitPath split;
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    split.directory = path.substr(0, nameStart);
    const std::string name = path.substr(nameStart);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        split.baseName = name;
    } else {
        split.baseName = name.substr(0, dot);
        split.extension = name.substr(dot);
    }
    return split;
}

std::string TrimDesignPath(const std::string& fileName)
{
    const size_t start = fileName.find_first_not_of(" \t\n\r\v\f");
    return start == std::string::npos ? std::string() : fileName.substr(start);
}

std::string AbsolutePath(const std::string& path)
{
    std::error_code ignored;
    const std::string absolute = std::filesystem::absolute(path, ignored).lexically_normal().string();
    return absolute.empty() ? path : absolute;
}

const char* SiblingExtension(Sibling sibling)
{
    switch (sibling) {
    case Sibling::RetrievalInfo:
        return ".cnx";
    case Sibling::Vectors:
        return ".vec";
    case Sibling::Include:
        return ".inc";
    case Sibling::ComponentDeclaration:
        return ".cmp";
    case Sibling::Symbol:
        return ".sym";
    case Sibling::Waveform:
        return ".vcd";
    case Sibling::WaveformView:
        return ".gtkw";
    }
    return "";
}
