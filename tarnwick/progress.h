#pragma once

// Says on standard error, when it is a terminal and the report is not JSON, that the run has
// reached a phase (the wizard, the design simulation, the pair, the synthesis, the install), with
// the seconds since tarnwick started; long runs then show where they are. Nothing otherwise.
void ShowPhase(const char* phase);

// Whether ShowPhase may print: set once from the command line (false with --json).
void EnablePhases(bool enabled);
