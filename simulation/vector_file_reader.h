#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A signal a vector file names: a single bit (high and low -1) or a bus name[high..low].
struct VectorSignal {
    std::string name;
    int high = -1;
    int low = -1;

    bool isBus() const { return high >= 0; }
    int width() const { return isBus() ? high - low + 1 : 1; }
};

// One input's stimulus. A periodic pattern ("PATTERN 0 1;") steps through its values every
// INTERVAL from START on, over and over; a timed one ("PATTERN 0>0 80>1;") holds each value from
// its time until the next, and 0 before the first.
struct VectorInput {
    VectorSignal signal;
    bool periodic = false;
    std::vector<std::uint64_t> periodValues;
    std::vector<std::pair<std::int64_t, std::uint64_t>> changes; // times in order, never falling
    int line = 0;

    std::uint64_t ValueAt(std::int64_t time, std::int64_t start, std::int64_t interval) const;
};

// What a vector file describes: the simulated time, the inputs' stimuli and the outputs to watch.
struct VectorFile {
    std::int64_t start = 0;
    std::int64_t stop = 0;
    std::int64_t interval = 0; // 0 when the file gives none
    std::vector<VectorInput> inputs;
    std::vector<VectorSignal> outputs;

    const VectorInput* FindInput(const std::string& name) const;
};

// The latest time a vector file may name, so that every time fits the simulators' 32-bit integers.
constexpr std::int64_t kMaxVectorTime = 2147483647;

// Reads the vector file language the wizard writes: %comments%, START, STOP, RADIX DEC, INTERVAL,
// INPUTS with a PATTERN, GROUP CREATE and OUTPUTS; keywords in any case.
bool ReadVectorFile(std::string_view text, const std::string& name, VectorFile& file, std::string& error);

// ReadVectorFile on the file at path, which may hold up to the largest vector file the wizard
// writes (kMaxVectorFileSize). False with the reason when it cannot be read, is larger, does not
// parse, or there is not enough memory to hold it.
bool LoadVectorFile(const std::string& path, VectorFile& file, std::string& error);
