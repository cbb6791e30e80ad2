#pragma once
// Runs a program the way a user at a terminal would, for the tests of tarnwick: in a given working
// directory, with extra environment variables, its output collected.

#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

struct ProcessRun {
    pid_t pid = -1;     // the id the program ran under
    int exitStatus = -1; // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Starts args[0] with args in directory, with environment plus extra (extra wins), and waits for
// it. Output goes through files in directory, named after the run.
ProcessRun RunProgram(const std::vector<std::string>& args, const std::filesystem::path& directory,
                      const std::map<std::string, std::string>& extra = {});

// RunProgram in two halves, for a test that acts while the program runs: StartProgram returns with
// only pid set (-1 when the program could not be started); FinishProgram waits for it and collects
// its status and output.
ProcessRun StartProgram(const std::vector<std::string>& args, const std::filesystem::path& directory,
                        const std::map<std::string, std::string>& extra = {});
void FinishProgram(ProcessRun& run, const std::filesystem::path& directory);
