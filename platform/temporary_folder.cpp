#include "platform/temporary_folder.h"

#include "platform/path_split.h"
#include "platform/printable_text.h"
#include "platform/run_stamp.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

// The characters a temporary folder's path may hold: the simulators' builds and the synthesis
// tools write it into makefiles, scripts and command lines of their own without quoting it.
bool SafeInToolPath(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '.'
        || c == '_' || c == '-' || c == '+' || c == ',' || c == '@' || c >= 0x80;
}

} // namespace

std::string TemporaryBase()
{
    const char* base = std::getenv("TMPDIR");
    return AbsolutePath(std::string(base != nullptr && *base != '\0' ? base : "/tmp"));
}

bool CheckTemporaryBase(std::string& error)
{
    const std::string base = TemporaryBase();
    if (std::all_of(base.begin(), base.end(), [](char c) { return SafeInToolPath(static_cast<unsigned char>(c)); }))
        return true;
    error = "TMPDIR " + PrintableText(base)
        + " holds a blank, a quote, a line end or another character that the simulators and the synthesis tools "
          "cannot take in a path; set TMPDIR to a folder whose path has only letters, digits and / . _ - + , @";
    return false;
}

bool TemporaryFolder::Create(std::string& error)
{
    if (!CheckTemporaryBase(error))
        return false;
    // Absolute, as the simulators run in the folder itself; the run's stamp in the name tells a
    // later run whether the run that made it has ended. RunStep makes the tools' own tmp inside
    // the folder a step runs in.
    const std::string base = TemporaryBase();
    std::string pattern = base + "/tarnwick-sim-" + RunStamp::OfThisProcess().Text() + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a temporary folder in TMPDIR " + PrintableText(base) + ": " + std::strerror(errno);
        return false;
    }
    path_ = pattern;
    return true;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}
