#pragma once
// Runs a program the way a user at a terminal would, for the tests of tarnwick: in a given working
// directory, with extra environment variables, its output collected.

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

struct ProcessRun {
    pid_t pid = -1;     // the id the program ran under
    int exitStatus = -1; // -1 when it did not exit normally
    int endSignal = 0;   // the signal that ended it, 0 when it exited
    std::string out;
    std::string err;
};

// Starts args[0] with args in directory, with environment plus extra (extra wins), and waits for
// it. Output goes through files in directory, named after the run: name.stdout and name.stderr.
ProcessRun RunProgram(const std::vector<std::string>& args, const std::filesystem::path& directory,
                      const std::map<std::string, std::string>& extra = {}, const std::string& name = "run");

// RunProgram in two halves, for a test that acts while the program runs: StartProgram returns with
// only pid set (-1 when the program could not be started); FinishProgram waits for it and collects
// its status and output. Programs that run at once in one directory need names of their own.
ProcessRun StartProgram(const std::vector<std::string>& args, const std::filesystem::path& directory,
                        const std::map<std::string, std::string>& extra = {}, const std::string& name = "run");
void FinishProgram(ProcessRun& run, const std::filesystem::path& directory, const std::string& name = "run");

// The files in folders, each with its text ("(folder)" for a folder), leaving out the output
// files of the programs run (*.stdout, *.stderr).
std::map<std::string, std::string> FolderFiles(const std::vector<std::filesystem::path>& folders);

// Checks ready every 10 ms until it holds or bound has passed; returns whether it held.
bool WaitUntil(const std::function<bool()>& ready, std::chrono::seconds bound = std::chrono::seconds(10));

// Whether the process pid has ended (also when it is a zombie no one has collected yet).
bool ProcessGone(pid_t pid);
