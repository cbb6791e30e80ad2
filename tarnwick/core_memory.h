#pragma once

#include "synthesis/ice40_devices.h"

#include <cstdint>
#include <string>

// The RAM the design's core really keeps, beside the memory page's figure: conv_qzram keeps
// I(I-1)J/2 words for a convolutional interleaver, half the page's I(I-1)J, in RAM blocks of the
// part; genaddr keeps none and addresses a RAM outside the part.
struct CoreMemory {
    std::string module; // "conv_qzram" or "genaddr"
    bool external = false; // genaddr: the words are those of the RAM outside it
    std::int64_t pageWords = 0; // the memory page's figure
    std::int64_t ramWords = 0;
    int wordBits = 0;
    std::int64_t ramBlocks = 0; // the least of the part's RAM blocks the words take; 0 external
    std::int64_t ramBlocksAvailable = 0;
    std::string device; // as --device names it, "hx8k"
    std::string shownDevice; // "iCE40 HX8K"
};

// The memory of the core that the retrieval information at path names, on device. False when it
// cannot be read, names no library module, its settings make no core or the device is unknown.
bool CoreMemoryOfRetrievalInfo(const std::string& path, const std::string& device, CoreMemory& memory);

// The memory as a line of the text report, with the way out when the blocks are too many.
std::string DescribeCoreMemory(const CoreMemory& memory);
