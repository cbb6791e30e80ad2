#include "simulation/simulator_run.h"

#include "host/path_split.h"
#include "platform/display_command_line.h"
#include "platform/supervised_child.h"
#include "platform/printable_text.h"
#include "platform/regular_file.h"
#include "platform/run_stamp.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The most of a simulator's messages shown when it fails.
constexpr size_t kShownLogSize = 2000;

// The characters a temporary folder's path may hold: the simulators' builds and the synthesis
// tools write it into makefiles, scripts and command lines of their own without quoting it.
bool SafeInToolPath(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '.'
        || c == '_' || c == '-' || c == '+' || c == ',' || c == '@' || c >= 0x80;
}

// PATH with each relative folder made absolute from tarnwick's own current folder: the tools run
// in their own folder, and must find what tarnwick found.
std::string AbsoluteSearchPath(const std::string& path)
{
    std::string absolute;
    size_t begin = 0;
    for (;;) {
        const size_t end = path.find(':', begin);
        const std::string folder = path.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        absolute += (begin == 0 ? "" : ":") + AbsolutePath(folder.empty() ? std::string(".") : folder);
        if (end == std::string::npos)
            return absolute;
        begin = end + 1;
    }
}

// This process's environment for a step run in folder: its search path absolute, and TMPDIR the
// folder's own tmp, so that what the tools leave goes with the run's folder, even when a kill
// keeps them from removing it.
std::vector<std::string> SimulatorEnvironment(const std::string& folder)
{
    std::vector<std::string> environment{"TMPDIR=" + AbsolutePath(folder) + "/tmp"};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.rfind("PATH=", 0) == 0)
            environment.push_back("PATH=" + AbsoluteSearchPath(text.substr(5)));
        else if (text.rfind("TMPDIR=", 0) != 0)
            environment.push_back(text);
    }
    return environment;
}

// Waits for the step within limits. False with the reason when it ran past the time limit or a
// signal asked tarnwick to end; the step has been ended then and collected.
bool WaitForStep(ChildProcess& step, const std::string& shown, RunLimits& limits, int& status, std::string& error)
{
    Supervision supervision;
    supervision.signalFd = limits.signalFd;
    supervision.onSignal = OnHeldSignal::EndGroup;
    supervision.timeLimit = limits.timeLimit;
    int signal = 0;
    switch (SuperviseChild(step, supervision, status, signal)) {
    case ChildEnd::Exited:
        return true;
    case ChildEnd::TimedOut:
        error = shown + " ran past the time limit of " + std::to_string(limits.timeLimit.count()) + " s and was ended";
        return false;
    case ChildEnd::EndedBySignal:
        limits.endSignal = signal;
        error = shown + " was ended by signal " + std::to_string(signal) + " given to tarnwick";
        return false;
    case ChildEnd::Lost:
        break;
    }
    error = "lost track of " + shown;
    return false;
}

} // namespace

std::string FindOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (IsRegularFile(candidate) && ::access(candidate.c_str(), X_OK) == 0)
            return AbsolutePath(candidate);
    }
    return {};
}

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

bool RunStep(const std::vector<std::string>& args, const std::string& folder, RunLimits& limits, std::string& error)
{
    const std::string shown = DisplayCommandLine(args);
    if (limits.endSignal != 0) {
        error = shown + " was not started: tarnwick was given signal " + std::to_string(limits.endSignal);
        return false;
    }
    if (::mkdir((folder + "/tmp").c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot make the tools' temporary folder in " + PrintableText(folder) + ": " + std::strerror(errno);
        return false;
    }
    // The step reads nothing and says everything into the log, which is shown when it fails.
    const std::string log = folder + "/log";
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    const int in = out < 0 ? -1 : ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    std::string reason = out < 0 || in < 0 ? std::strerror(errno) : std::string();
    ChildProcess step;
    bool started = false;
    if (out >= 0 && in >= 0) {
        ChildOptions options;
        // Found here, once: a relative folder on PATH means tarnwick's current folder, not the step's.
        const std::string found = args[0].find('/') == std::string::npos ? FindOnPath(args[0]) : std::string();
        options.program = found.empty() ? args[0] : found;
        options.args = args;
        options.workingDirectory = folder;
        options.standardInput = in;
        options.standardOutput = out;
        options.standardError = out;
        options.environment = SimulatorEnvironment(folder);
        options.supervised = true;
        StartFailure failure;
        started = step.Start(options, reason, failure);
    }
    // The child holds its own copies now.
    for (const int fd : {out, in}) {
        if (fd >= 0)
            ::close(fd);
    }
    if (!started) {
        error = "cannot start " + PrintableText(args[0]) + ": " + reason;
        return false;
    }
    int status = 0;
    if (!WaitForStep(step, shown, limits, status, error))
        return false;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::string said;
    ReadRegularFile(log, size_t(64) << 20, said);
    if (said.size() > kShownLogSize)
        said = "..." + said.substr(said.size() - kShownLogSize);
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

bool LinkSources(const std::vector<std::string>& sources, const std::string& work, std::vector<std::string>& linked,
                 std::string& error)
{
    const std::string folder = work + "/src";
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot make the simulation's source folder: " + std::string(std::strerror(errno));
        return false;
    }
    for (const std::string& source : sources) {
        const std::string name = "src/" + std::filesystem::path(source).filename().string();
        if (std::find(linked.begin(), linked.end(), name) != linked.end()) {
            error = "two of the simulation's sources are named " + PrintableText(name.substr(4));
            return false;
        }
        if (::symlink(AbsolutePath(source).c_str(), (work + "/" + name).c_str()) != 0) {
            error = "cannot link " + PrintableText(source) + " into the simulation's folder: " + std::strerror(errno);
            return false;
        }
        linked.push_back(name);
    }
    return true;
}

std::string SimulatorName(Simulator simulator)
{
    switch (simulator) {
    case Simulator::Ghdl:
        return "ghdl";
    case Simulator::Iverilog:
        return "iverilog";
    case Simulator::Verilator:
        return "verilator";
    case Simulator::Default:
        break;
    }
    return {};
}

bool SimulatorNamed(const std::string& name, Simulator& simulator)
{
    for (const Simulator known : {Simulator::Ghdl, Simulator::Iverilog, Simulator::Verilator}) {
        if (name == SimulatorName(known)) {
            simulator = known;
            return true;
        }
    }
    return false;
}

std::vector<std::string> SimulatorPrograms(Simulator simulator)
{
    switch (simulator) {
    case Simulator::Ghdl:
        return {"ghdl"};
    case Simulator::Iverilog:
        return {"iverilog", "vvp"};
    case Simulator::Verilator:
        return {"verilator", "make"};
    case Simulator::Default:
        break;
    }
    return {};
}

bool RunVerilogSimulation(Simulator simulator, const std::vector<std::string>& sources, const std::string& top,
                          const std::vector<VerilogParameter>& parameters, bool traced, const std::string& work,
                          RunLimits& limits, std::string& error)
{
    if (simulator != Simulator::Verilator) {
        std::vector<std::string> compile{"iverilog", "-g2001", "-o", "simulation.vvp", "-s", top, "-Isrc"};
        for (const auto& [name, value] : parameters)
            compile.push_back("-P" + top + "." + name + "=" + value);
        compile.insert(compile.end(), sources.begin(), sources.end());
        return RunStep(compile, work, limits, error) && RunStep({"vvp", "-n", "simulation.vvp"}, work, limits, error);
    }
    // The library modules carry no `timescale of their own; read in ns, as the testbenches' are,
    // they leave the waveform's unit at the testbench's.
    std::vector<std::string> build{"verilator", "--binary", "-Wno-fatal", "--timescale", "1ns/1ns",  "-j",
                                   "2",         "--Mdir",   "obj",        "-o",          "simulation", "--top-module",
                                   top,         "-Isrc"};
    if (traced)
        build.push_back("--trace");
    for (const auto& [name, value] : parameters)
        build.push_back("-G" + name + "=" + value);
    build.insert(build.end(), sources.begin(), sources.end());
    return RunStep(build, work, limits, error) && RunStep({work + "/obj/simulation"}, work, limits, error);
}
