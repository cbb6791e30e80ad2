#include "interleaver/user_guide.h"

#include "platform/process.h"

namespace {

// The executable's file name that marks an installed wizard, and the guide's place relative to
// the executable's directory.
constexpr const char* kExecutableName = "zorvex";
constexpr const char* kGuideRelativePath = "../zorvex_core/doc/zorvex_guide.pdf";

} // namespace

std::string UserGuidePath(const std::string& executablePath)
{
    const size_t slash = executablePath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    // Only the file name is compared, so a directory that happens to be called "zorvex" is no
    // match; an executable under another name looks for the guide from the current directory.
    const bool installed = executablePath.compare(nameStart, std::string::npos, kExecutableName) == 0;
    const std::string prefix = installed ? executablePath.substr(0, nameStart) : std::string();
    return prefix + kGuideRelativePath;
}

void OpenUserGuide(const std::string& executablePath)
{
    const std::string guide = UserGuidePath(executablePath);
    if (FileExists(guide))
        StartDocumentViewer(guide);
}
