#pragma once

#include <cstdint>
#include <string>

namespace zorvex::core {

// The three permutations the cores implement (the INT_TYPE generic).
enum class IntType { Convolutional, Block, BlockContinous };
// Which way the permutation runs (the INT_MODE generic).
enum class IntMode { Interleaver, Deinterleaver };
// conv_qzram keeps its symbols in its own RAM; genaddr drives the addresses of a RAM outside.
enum class MemoryKind { Internal, External };

// The generics of one core: INT_TYPE, INT_DEPTH (I), SYMBOL_DELAY (J), INT_MODE, SYMBOL_WIDTH (W).
struct CoreSettings {
    IntType type = IntType::Convolutional;
    int depth = 12;
    int delay = 17;
    IntMode mode = IntMode::Interleaver;
    int width = 8;
};

// The INT_TYPE and INT_MODE generics as the cores spell them: "CONVOLUTIONAL", "BLOCK" or
// "BLOCK_CONTINOUS"; "INTERLEAVER" or "DEINTERLEAVER".
std::string TypeGeneric(IntType type);
std::string ModeGeneric(IntMode mode);

// True when every generic lies in the range the cores accept (I 2-40, J 2-500, W 1-64);
// otherwise false with a message naming the first generic out of range.
bool Validate(const CoreSettings& settings, std::string& message);

// floor(log2 x) + 1 for x > 0, and 0 for x <= 0.
int BitLength(std::int64_t x);
// genaddr's address width A: BitLength(I) + BitLength(J(I-1)) convolutional,
// BitLength(I) + BitLength(J) for both block kinds.
int AddressWidth(const CoreSettings& settings);
// The words conv_qzram's RAM holds: I(I-1)J/2 convolutional (branch k keeps its k*J symbols),
// IJ block.
std::int64_t MemoryWords(const CoreSettings& settings);
// The words genaddr's external RAM needs: I(I-1)J/2 + I convolutional, IJ block; its addresses
// stay below that on the A-bit bus.
std::int64_t ExternalWords(const CoreSettings& settings);

// The enabled edges between the edge that takes a symbol and the edge after which the core's
// output shows it, beyond the permutation's own delay (see hdl/README.md).
int PipelineCycles(const CoreSettings& settings, MemoryKind memory);
// Cycles from a symbol taken by an interleaver to the same symbol on the output of the
// deinterleaver chained behind it: (I-1)JI + 6 convolutional, 2IJ + 4 block with conv_qzram.
std::int64_t PairLatencyCycles(const CoreSettings& settings, MemoryKind memory);

} // namespace zorvex::core
