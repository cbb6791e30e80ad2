#pragma once

#include <cstdint>

// How tarnwick tells on standard error where a long run is.
enum class ProgressLines {
    None, // nothing (--json, or standard error not a terminal)
    InPlace, // standard error is a terminal: each phase's start, then one line kept up to date
    Plain, // --progress: a plain line at each phase's start and at least every 10 s, wherever it goes
};

// How ShowPhase and ShowProgress print: set once from the command line.
void EnablePhases(ProgressLines lines);

// The run has reached a phase (the wizard, the design simulation, the pair, the synthesis, the
// install): its name with the seconds since tarnwick started.
void ShowPhase(const char* phase);

// How far the phase's simulation is: the edges done of total, the share, and the time left at
// the rate so far.
void ShowProgress(std::int64_t done, std::int64_t total);

// That the phase is still working, for a phase without a count (the synthesis): the seconds it
// has run.
void ShowWorking();

// Clears a line kept up to date, before the report is printed.
void EndProgress();
