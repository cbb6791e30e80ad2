#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// What names the files and folders a run makes while it works: "<pid>-<start>", the process's id
// and its start time (in clock ticks since boot).
struct RunStamp {
    pid_t pid = 0;
    unsigned long long start = 0;

    // This process's stamp; its start time 0 when the system does not give it.
    static RunStamp OfThisProcess();
    // "<pid>-<start>".
    std::string Text() const;
};

// Reads a stamp at the front of text, followed by a '-', and gives the rest after that '-' in
// rest. False when text does not start so (leading zeros, signs and empty numbers are not a stamp).
bool ParseRunStamp(std::string_view text, RunStamp& stamp, std::string_view& rest);

// Whether the process a stamp names has provably ended: no process has its id, or the one that
// has started at another time. False while it runs, and when the system cannot tell.
bool RunHasEnded(const RunStamp& stamp);
