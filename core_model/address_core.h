#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "core_model/core_settings.h"

namespace zorvex::core {

// What the address generator puts on the memory for the coming edge: registered values of
// which sync_in of that edge chooses. The memory reads the old word at addr and writes there.
struct AddressStep {
  std::uint32_t addr = 0;
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
// Convolutional: every branch with a delay is a FIFO, a region of the memory as long as its
// delay (k*J symbols for the interleaver's branch k, (I-1-k)*J for the deinterleaver's, one
// more each for genaddr), read and written at one address that steps through the region. The
// regions lie one after the other in commutator order; conv_qzram's zero-delay branch has none.
// Where branch 0 delays the frame's first symbol, its mark waits in a queue of the addresses it
// was written at, holding as many marks as frames of I*J symbols fit in the delay.
//
// Block: symbols are counted by their position in the block. Discrete blocks are written at
// linear addresses and read with a step of J (interleaver) or I (deinterleaver) modulo IJ-1;
// continuous blocks read and write one address, the k-th block walking with step K^k modulo
// IJ-1 (K = J or I), so every block overwrites the one read out in place.
//
// A frame start in step (branch 0 next, or a block's first position next) changes nothing; one
// out of step restarts the counters, the FIFO pointers and the marks queue.
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

  void ConvolutionalEdge(const Comb& c);
  void BlockEdge(const Comb& c);

  CoreSettings settings_;
  MemoryKind memory_;
  // Derived sizes.
  std::int64_t skip_ = 0;           // branches before the first FIFO (conv_qzram's interleaver: 1)
  std::vector<std::int64_t> fifoBase_, fifoLength_;  // the FIFO regions in commutator order
  std::size_t marksCapacity_ = 0;   // 0: branch 0 has no delay, its symbol is marked at once
  std::int64_t blockSize_ = 0;      // IJ
  std::int64_t blockStep_ = 0;      // J interleaver, I deinterleaver

  // Registers.
  bool pending_ = false;
  std::int64_t branch_ = 0;
  std::vector<std::int64_t> pointer_;  // each FIFO's offset within its region
  std::deque<std::uint32_t> marks_;   // addresses of marked words in flight, oldest first
  std::int64_t position_ = 0, addr_ = 0, step_ = 1, acc_ = 0;
  bool writePhase_ = true, blockSync_ = false;
  StepFlags flags_;
};

}  // namespace zorvex::core
