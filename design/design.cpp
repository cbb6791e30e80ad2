#include "design/design.h"

const char* RoleName(FileRole role)
{
    switch (role) {
    case FileRole::RetrievalInfo:
        return "retrieval information";
    case FileRole::SimulationVectors:
        return "simulation vectors";
    case FileRole::DesignFile:
        return "design file";
    case FileRole::IncludeFile:
        return "include file";
    case FileRole::ComponentDeclaration:
        return "component declaration";
    case FileRole::SymbolFile:
        return "symbol file";
    case FileRole::LibraryModule:
        return "library module";
    case FileRole::Waveform:
        return "waveform";
    case FileRole::WaveformView:
        return "waveform view";
    case FileRole::SynthesisLog:
        return "synthesis log";
    }
    return "";
}

Design::Design(const std::string& fileName, DesignKind kind)
    : path_(TrimDesignPath(fileName)), name_(SplitDesignPath(path_)), kind_(kind)
{
}

std::string Design::PathOf(FileRole role) const
{
    const std::string stem = name_.directory + name_.baseName;
    switch (role) {
    case FileRole::RetrievalInfo:
        return stem + SiblingExtension(Sibling::RetrievalInfo);
    case FileRole::SimulationVectors:
        return (kind_ == DesignKind::InPlace ? std::string("./") : name_.directory) + name_.baseName
            + SiblingExtension(Sibling::Vectors);
    case FileRole::DesignFile:
        return stem + name_.extension;
    case FileRole::IncludeFile:
        return stem + SiblingExtension(Sibling::Include);
    case FileRole::ComponentDeclaration:
        return stem + SiblingExtension(Sibling::ComponentDeclaration);
    case FileRole::SymbolFile:
        return stem + SiblingExtension(Sibling::Symbol);
    case FileRole::Waveform:
        return stem + SiblingExtension(Sibling::Waveform);
    case FileRole::WaveformView:
        return stem + SiblingExtension(Sibling::WaveformView);
    case FileRole::SynthesisLog:
        return stem + "_synthesis.log";
    case FileRole::LibraryModule:
        break;
    }
    return {};
}
