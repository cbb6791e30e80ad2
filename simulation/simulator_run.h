#pragma once

#include <chrono>
#include <string>
#include <vector>

// The program name on PATH, as execvp would find it; empty when it is not there.
std::string FindOnPath(const std::string& program);

// A folder of its own under TMPDIR, removed with everything in it when this goes.
class TemporaryFolder {
public:
    TemporaryFolder() = default;
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();

    bool Create(std::string& error);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The longest a simulator step runs unless told otherwise: an hour, well past the largest
// variation's simulation.
constexpr int kDefaultStepSeconds = 3600;

// What bounds a run of a simulator: its time, and a descriptor watched while it runs (a signalfd
// of the signals that ask tarnwick to end; -1 for none). A signal read from it is passed to the
// simulator's whole process group, which is then waited for; the signal's number is kept in
// endSignal, and every later step refuses to start.
struct RunLimits {
    std::chrono::seconds timeLimit{kDefaultStepSeconds};
    int signalFd = -1;
    int endSignal = 0;
};

// Runs args in folder, in a process group of its own that ends with tarnwick, with its output and
// errors into folder/log; true when it exits with 0 within limits. Otherwise error tells which
// step failed (its command line as PrintableText shows it), with the end of what it said, or that
// it ran past the time limit, or the signal that ended it.
bool RunStep(const std::vector<std::string>& args, const std::string& folder, RunLimits& limits, std::string& error);

// Writes text to path whole; false with the reason otherwise.
bool WriteFile(const std::string& path, const std::string& text, std::string& error);

// Links each of sources (paths) into work/src under its own file name, so that the simulators,
// running in work, are handed names they cannot misread whatever folders the files are in;
// linked receives the names relative to work ("src/name"), in order. False with the reason when
// two sources share a name or a link cannot be made.
bool LinkSources(const std::vector<std::string>& sources, const std::string& work, std::vector<std::string>& linked,
                 std::string& error);
