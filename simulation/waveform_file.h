#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The unit of a VCD waveform's times, in nanoseconds (its $timescale), and the last time it
// reaches. False when the file cannot be read or has no $timescale.
bool ReadWaveformEnd(const std::string& path, long double& unitNanoseconds, std::int64_t& lastTime);

// Whether the VCD waveform at path reaches stopNanoseconds, the vector file's STOP: a simulator
// that could not write all of it (a full disk) may still end well. False with the reason otherwise.
bool WaveformIsWhole(const std::string& path, std::int64_t stopNanoseconds, std::string& error);

// Rewrites the VCD waveform at path with its $timescale in nanoseconds and every time converted, as
// the vector file counts time; a waveform already in nanoseconds is left alone, and so is one with
// a time that is no whole number of nanoseconds.
bool WaveformInNanoseconds(const std::string& path, std::string& error);

// What a GTKWave view of a run shows, its times in nanoseconds as the vector file counts them.
struct WaveformView {
    std::vector<std::string> ports; // the design's ports, in its order
    std::optional<std::int64_t> firstInput; // the rising edge that took the first symbol
    std::optional<std::int64_t> firstOutput; // the rising edge at which the first symbol out is on dout
    // The stretch the view opens on; the whole run when there is none.
    std::optional<std::int64_t> windowStart;
    std::optional<std::int64_t> windowEnd;
};

// A GTKWave save file for the waveform at wavePath once it is at vcdPath: its first scope's
// variables in the order of view.ports (any others after them, as the header lists them), named
// markers at the first input and the first output, opened on view's window. Empty when the
// waveform's header cannot be read.
std::string GtkwaveSaveFile(const std::string& wavePath, const std::string& vcdPath, const WaveformView& view);
