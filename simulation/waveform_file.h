#pragma once

#include <cstdint>
#include <string>

// The unit of a VCD waveform's times, in nanoseconds (its $timescale), and the last time it
// reaches. False when the file cannot be read or has no $timescale.
bool ReadWaveformEnd(const std::string& path, long double& unitNanoseconds, std::int64_t& lastTime);

// Whether the VCD waveform at path reaches stopNanoseconds, the vector file's STOP: a simulator
// that could not write all of it (a full disk) may still end well. False with the reason otherwise.
bool WaveformIsWhole(const std::string& path, std::int64_t stopNanoseconds, std::string& error);
