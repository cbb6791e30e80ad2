#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The most entries one run removes of what killed runs left; the rest is left to the next run, so
// that a run waiting for the design's lock is not held up by a folder full of leftovers.
constexpr size_t kLeftoverRemovalsPerRun = 300;

// What kind of folder leftovers are looked for in.
enum class LeftoverPlace {
    // A design's folder or the current folder: the runs' working folders (.tarnwick-<stamp>-XXXXXX),
    // the links they kept of replaced files (.tarnwick-kept-<stamp>-XXXXXX) and the new files
    // waiting for their commit (.zorvex-<stamp>-XXXXXX).
    DesignFolder,
    // The folder temporary folders are made in: the simulations' and syntheses' own folders
    // (tarnwick-sim-<stamp>-XXXXXX).
    TemporaryFolder,
};

// Removes from directory what runs that have ended left there: only entries of exactly the name,
// type, permissions and owner a run makes, on directory's own file system, whose run has provably
// ended (see RunStamp).
std::vector<std::string> RemoveDeadRunLeftovers(const std::string& directory, LeftoverPlace place, size_t& budget);

// Removes, within kLeftoverRemovalsPerRun, what ended runs left beside the design (designDirectory,
// empty for the current folder), in the current folder, where the vector file is replaced, and in
// the temporary folders' folder. Called under the design's lock.
void RemoveLeftoversOfEndedRuns(const std::string& designDirectory);
