#include "simulation/simulator_run.h"

#include "platform/child_process.h"
#include "platform/printable_text.h"
#include "platform/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The most of a simulator's messages shown when it fails.
constexpr size_t kShownLogSize = 2000;

} // namespace

std::string FindOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (IsRegularFile(candidate) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

bool TemporaryFolder::Create(std::string& error)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tarnwick-sim-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a temporary folder for the simulation: " + std::string(std::strerror(errno));
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

bool RunStep(const std::vector<std::string>& args, const std::string& folder, std::string& error)
{
    // The step reads nothing and says everything into the log, which is shown when it fails.
    const std::string log = folder + "/log";
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int in = out < 0 ? -1 : ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    std::string reason = out < 0 || in < 0 ? std::strerror(errno) : std::string();
    ChildProcess step;
    bool started = false;
    if (out >= 0 && in >= 0) {
        ChildOptions options;
        options.program = args[0];
        options.args = args;
        options.workingDirectory = folder;
        options.standardInput = in;
        options.standardOutput = out;
        options.standardError = out;
        StartFailure failure;
        started = step.Start(options, reason, failure);
    }
    // The child holds its own copies now.
    for (const int fd : {out, in}) {
        if (fd >= 0)
            ::close(fd);
    }
    if (!started) {
        error = "cannot start " + args[0] + ": " + reason;
        return false;
    }
    int status = 0;
    if (!step.Wait(status)) {
        error = "lost track of " + args[0];
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::string said;
    ReadRegularFile(log, size_t(64) << 20, said);
    if (said.size() > kShownLogSize)
        said = "..." + said.substr(said.size() - kShownLogSize);
    std::string shown;
    for (const std::string& arg : args)
        shown += (shown.empty() ? "" : " ") + arg;
    error = shown + " failed (" + (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                                       : "signal " + std::to_string(WTERMSIG(status)))
        + ")" + (said.empty() ? std::string() : ":\n" + PrintableText(said));
    return false;
}

bool WriteFile(const std::string& path, const std::string& text, std::string& error)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (out)
        return true;
    error = "cannot write " + PrintableText(path);
    return false;
}

std::vector<std::string> IncludeFolderOptions(const std::vector<std::string>& sources)
{
    std::vector<std::string> options;
    for (const std::string& source : sources) {
        const std::string option = "-I" + std::filesystem::path(source).parent_path().string();
        if (std::find(options.begin(), options.end(), option) == options.end())
            options.push_back(option);
    }
    return options;
}
