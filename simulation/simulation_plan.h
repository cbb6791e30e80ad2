#pragma once

#include "core_model/core_cycle.h"
#include "simulation/vector_file_reader.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// A port of the design file: a single bit, or a bus of width bits. A bus of one bit (a one-bit
// symbol) stays a bus, as the design file and the library module declare it.
struct DesignPort {
    std::string name;
    bool output = false;
    int width = 1;
    bool bus = false;

    bool isBus() const { return bus || width > 1; }
};

// The run the vector file asks for, as the testbench plays it and the reference model sees it.
struct SimulationPlan {
    std::vector<DesignPort> ports; // all of the design's, in its order
    std::vector<DesignPort> inputs;
    std::vector<DesignPort> outputs; // the vector file's OUTPUTS, in its order
    std::int64_t stimulusBytes = 0;
    std::int64_t stop = 0;
    std::vector<zorvex::core::CycleInput> edges;
    std::vector<std::int64_t> edgeTimes; // the time of each of edges, in the vector file's unit
};

// The lines of the stimulus of vectors: one for each time before STOP at which an input's pattern
// steps or changes, and one at STOP. Counted from the patterns, without playing them.
std::int64_t StimulusLines(const VectorFile& vectors);

// The most stimulus lines a plan may have: four times the lines of the longest vector file the
// pages make, the one at the top of the ranges of I and J.
std::int64_t MaxStimulusLines();

// Refuses vectors whose stimulus has more than MaxStimulusLines() lines, with the reason.
bool CheckStimulusLines(const VectorFile& vectors, std::string& error);

// Plans the run of vectors on a design with ports: each of the design's inputs needs a pattern,
// each pattern and each output to watch must be a port of the design of the same width, the
// stimulus must pass CheckStimulusLines, and the clock input must rise at least once before STOP.
bool PlanSimulation(const VectorFile& vectors, const std::vector<DesignPort>& ports, SimulationPlan& plan,
                    std::string& error);

// Writes the stimulus of plan, made from vectors, to out line by line, without holding it: at the
// bound on its lines it would be more than a gigabyte. Marks out failed when vectors are not the
// plan's.
void WriteStimulus(const SimulationPlan& plan, const VectorFile& vectors, std::ostream& out);
