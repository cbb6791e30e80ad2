#pragma once

#include <cstdint>

#include "core_model/core_settings.h"

namespace zorvex::core {

// What the address generator puts on the memory for the coming edge. These values depend on
// sync_in of that edge, as the hardware's do (they are not registered).
struct AddressStep {
  std::uint32_t writeAddr = 0;
  std::uint32_t readAddr = 0;
  // Discrete block: the edge writes (the core takes din). Always true for the other kinds.
  bool writeEnable = true;
};

// Registered flags that belong to the memory word read at the last enabled edge.
struct StepFlags {
  bool mark = false;     // the word is the frame's first symbol (sync_out)
  bool read = false;     // discrete block: the edge read an output symbol (dout_valid, block_full)
  bool wrote = false;    // discrete block: the edge wrote a symbol (block_empty)
  bool bypass = false;   // convolutional, internal: the symbol took the zero-delay branch
};

// The commutator and address counters shared by conv_qzram (MemoryKind::Internal) and genaddr
// (MemoryKind::External), exactly as hdl/qz_addrgen models them.
//
// Convolutional: every branch owns a region of the memory and a common rotation counter n
// (advanced by each symbol on branch 0) is the write offset; a branch whose delay is d rotations
// reads offset n - d, so the word read at the edge is the one written d rotations earlier.
// conv_qzram's regions are R = (I-1)J words and its zero-delay branch bypasses the memory;
// genaddr's regions are 2^BitLength(R) words, each branch holding one symbol more (R + 1).
//
// Block: symbols are counted by their position in the block. Discrete blocks are written at
// linear addresses and read with a step of J (interleaver) or I (deinterleaver) modulo IJ-1;
// continuous blocks read and write one address, the k-th block walking with step K^k modulo
// IJ-1 (K = J or I), so every block overwrites the one read out in place.
class AddressCore {
 public:
  AddressCore(const CoreSettings& settings, MemoryKind memory);

  // The memory's addresses for an edge whose sync_in is syncIn.
  AddressStep Peek(bool syncIn) const;
  // One rising edge. Without clockEnable only a pending sync_in is remembered.
  void Edge(bool syncIn, bool clockEnable);
  const StepFlags& flags() const { return flags_; }

 private:
  struct Comb;
  Comb Evaluate(bool syncIn) const;

  CoreSettings settings_;
  MemoryKind memory_;
  // Derived sizes.
  std::int64_t rotationWords_ = 0;  // R + extra: the rotation counter's modulus
  std::int64_t regionStep_ = 0;     // distance between two branches' regions
  std::int64_t firstDelay_ = 0;     // delay of branch 0 in rotations
  std::int64_t blockSize_ = 0;      // IJ
  std::int64_t blockStep_ = 0;      // J interleaver, I deinterleaver

  // Registers.
  bool pending_ = false;
  std::int64_t branch_ = 0, rotation_ = 0, branchDelay_ = 0, base_ = 0, syncCount_ = 0;
  std::int64_t position_ = 0, addr_ = 0, step_ = 1, acc_ = 0;
  bool writePhase_ = true, blockSync_ = false;
  StepFlags flags_;
};

}  // namespace zorvex::core
