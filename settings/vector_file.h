#pragma once

#include "settings/interleaver_settings.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

// The largest vector file written: eight times the largest a valid variation makes (31.5 MB).
// Restored settings can ask for far more; such a file is refused instead.
constexpr uint64_t kMaxVectorFileSize = uint64_t(256) << 20;

// Writes the simulation vector file of the variation: the commented header with the parameters, the
// clock, sync_in and clken stimuli, for internal memory the counting data input, and the outputs to
// watch. Brings addressWidth up to date first.
void WriteVectorFile(std::ostream& out, const InterleaverSettings& settings);

class AtomicFile;

// Writes the vector file into a new atomic file for path and returns it uncommitted, so that it
// takes path's place only when the caller commits it; a failed write shows at the commit. Null
// when the file cannot be created.
std::unique_ptr<AtomicFile> WriteUncommittedVectorFile(const std::string& path, const InterleaverSettings& settings);

// Writes the vector file to path, replacing an older file only when the whole text was written.
// False when the file cannot be created or written; an older file is then left as it was.
bool WriteVectorFileAt(const std::string& path, const InterleaverSettings& settings);
