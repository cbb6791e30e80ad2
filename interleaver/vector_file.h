#pragma once

#include "interleaver/interleaver_settings.h"

#include <ostream>
#include <string>

// Writes the simulation vector file of the variation: the commented header with the parameters,
// the clock, sync_in and clken stimuli, for internal memory the counting data input, and the
// outputs to watch. Brings addressWidth up to date first. The caller checks the stream.
void WriteVectorFile(std::ostream& out, const InterleaverSettings& settings);

// Writes the vector file to path, replacing an older file only when the whole text was written.
// False when the file cannot be created or written; an older file is then left as it was.
bool WriteVectorFileAt(const std::string& path, const InterleaverSettings& settings);
