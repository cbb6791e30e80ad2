// Hand-worked sequences of single cores. In each table, entry k is the core's output after
// edge k (-1: not yet defined, "don't care"); the inputs are din = k at edge k unless said.
#include "core_model/core_models.h"

#include <gtest/gtest.h>

#include <vector>

namespace zorvex::core {
namespace {

CoreSettings Settings(IntType type, IntMode mode, int depth, int delay, int width = 8) {
  CoreSettings s;
  s.type = type;
  s.mode = mode;
  s.depth = depth;
  s.delay = delay;
  s.width = width;
  return s;
}

// clock_enable 1 and sync_in at the first edge; din from the list.
std::vector<CycleInput> Steady(const std::vector<int>& dins) {
  std::vector<CycleInput> inputs;
  for (std::size_t k = 0; k < dins.size(); ++k) {
    CycleInput in;
    in.clockEnable = true;
    in.syncIn = k == 0;
    in.din = static_cast<std::uint64_t>(dins[k]);
    inputs.push_back(in);
  }
  return inputs;
}

std::vector<int> Ramp(int n) {
  std::vector<int> v;
  for (int k = 0; k < n; ++k) v.push_back(k);
  return v;
}

std::vector<int> Douts(const std::vector<ConvQzramCycle>& cycles) {
  std::vector<int> v;
  for (const ConvQzramCycle& c : cycles) v.push_back(c.dout ? static_cast<int>(*c.dout) : -1);
  return v;
}

std::vector<int> EdgesWhere(const std::vector<ConvQzramCycle>& cycles, bool ConvQzramCycle::*flag) {
  std::vector<int> v;
  for (std::size_t k = 0; k < cycles.size(); ++k) {
    if (cycles[k].*flag) v.push_back(static_cast<int>(k));
  }
  return v;
}

constexpr int X = -1;

TEST(ConvQzramModel, ConvolutionalInterleaverTwoByTwo) {
  // Branch 0 passes at once, branch 1 holds 2 of its symbols (4 edges); 3 output registers.
  // After edge k: branch 0 (k-3 even) shows symbol k-3, branch 1 shows symbol k-3-4.
  const auto cycles = RunCore(Settings(IntType::Convolutional, IntMode::Interleaver, 2, 2), MemoryKind::Internal,
                              Steady(Ramp(13)));
  EXPECT_EQ(Douts(cycles), (std::vector<int>{X, X, X, 0, X, 2, X, 4, 1, 6, 3, 8, 5}));
  EXPECT_EQ(EdgesWhere(cycles, &ConvQzramCycle::syncOut), std::vector<int>{3});
  EXPECT_TRUE(EdgesWhere(cycles, &ConvQzramCycle::nextDin).empty());
  EXPECT_TRUE(EdgesWhere(cycles, &ConvQzramCycle::doutValid).empty());
}

TEST(ConvQzramModel, ConvolutionalDeinterleaverTwoByTwo) {
  // Branch 0 holds 2 symbols (4 edges), branch 1 passes; 2 output registers. The first
  // symbol (branch 0 at edge 0) leaves after edge 6, with sync_out.
  const auto cycles = RunCore(Settings(IntType::Convolutional, IntMode::Deinterleaver, 2, 2), MemoryKind::Internal,
                              Steady(Ramp(11)));
  EXPECT_EQ(Douts(cycles), (std::vector<int>{X, X, X, 1, X, 3, 0, 5, 2, 7, 4}));
  EXPECT_EQ(EdgesWhere(cycles, &ConvQzramCycle::syncOut), std::vector<int>{6});
}

TEST(ConvQzramModel, ConvolutionalInterleaverThreeByTwo) {
  // Delays 0, 2 and 4 branch symbols: 0, 6 and 12 edges; after edge k the symbol of
  // edge k-3 minus the delay of its branch.
  const auto cycles = RunCore(Settings(IntType::Convolutional, IntMode::Interleaver, 3, 2), MemoryKind::Internal,
                              Steady(Ramp(22)));
  EXPECT_EQ(Douts(cycles), (std::vector<int>{X, X, X, 0, X, X, 3, X, X, 6, 1, X, 9, 4, X, 12, 7, 2, 15, 10, 5, 18}));
}

TEST(ConvQzramModel, SyncWhileClockDisabledMarksTheNextSymbol) {
  // The vector file's stimulus: sync_in at edge 2 with clock_enable 0, symbols from edge 4 on.
  std::vector<CycleInput> inputs(16);
  inputs[2].syncIn = true;
  for (std::size_t k = 4; k < inputs.size(); ++k) {
    inputs[k].clockEnable = true;
    inputs[k].din = k - 4;
  }
  const auto cycles =
      RunCore(Settings(IntType::Convolutional, IntMode::Interleaver, 2, 2), MemoryKind::Internal, inputs);
  EXPECT_EQ(Douts(cycles), (std::vector<int>{X, X, X, X, X, X, X, 0, X, 2, X, 4, 1, 6, 3, 8}));
  EXPECT_EQ(EdgesWhere(cycles, &ConvQzramCycle::syncOut), std::vector<int>{7});
}

TEST(ConvQzramModel, ClockEnableLowHoldsEverything) {
  // The 2x2 interleaver with a disabled edge after every enabled one: each output of the steady
  // run appears after its enabled edge and stays through the disabled one, sync_in at a
  // disabled edge included.
  const auto steady = RunCore(Settings(IntType::Convolutional, IntMode::Interleaver, 2, 2), MemoryKind::Internal,
                              Steady(Ramp(13)));
  std::vector<CycleInput> gapped;
  for (int k = 0; k < 13; ++k) {
    CycleInput on;
    on.clockEnable = true;
    on.din = static_cast<std::uint64_t>(k);
    CycleInput off;
    off.din = 99;
    off.syncIn = k == 5;  // remembered, so it restarts the commutator at edge 6
    gapped.push_back(on);
    gapped.push_back(off);
  }
  gapped[0].syncIn = true;
  const auto cycles =
      RunCore(Settings(IntType::Convolutional, IntMode::Interleaver, 2, 2), MemoryKind::Internal, gapped);
  // Symbol 6 is at branch 0 anyway: the new frame keeps every delay and only adds sync_out.
  for (int k = 0; k < 13; ++k) {
    for (int half = 0; half < 2; ++half) {
      EXPECT_EQ(cycles[2 * k + half].dout, steady[k].dout) << k;
      EXPECT_EQ(cycles[2 * k + half].syncOut, k == 3 || k == 9) << k;
    }
  }
}

TEST(ConvQzramModel, DiscreteBlockInterleaverWritesRowsReadsColumns) {
  // 2 rows x 3 columns: edges 0-5 take 0..5 (rows 0 1 2 / 3 4 5), edges 6-11 read the columns,
  // which leave after edges 8-13; edges 12-17 take the next block.
  std::vector<int> dins = Ramp(6);
  for (int k = 6; k < 12; ++k) dins.push_back(77);  // not taken
  for (int k = 12; k < 18; ++k) dins.push_back(k);
  for (int k = 18; k < 26; ++k) dins.push_back(77);
  const auto cycles =
      RunCore(Settings(IntType::Block, IntMode::Interleaver, 2, 3), MemoryKind::Internal, Steady(dins));
  std::vector<int> valid;
  for (std::size_t k = 0; k < cycles.size(); ++k) {
    if (cycles[k].doutValid) valid.push_back(static_cast<int>(*cycles[k].dout));
  }
  EXPECT_EQ(valid, (std::vector<int>{0, 3, 1, 4, 2, 5, 12, 15, 13, 16, 14, 17}));
  EXPECT_EQ(EdgesWhere(cycles, &ConvQzramCycle::doutValid),
            (std::vector<int>{8, 9, 10, 11, 12, 13, 20, 21, 22, 23, 24, 25}));
  EXPECT_EQ(EdgesWhere(cycles, &ConvQzramCycle::nextDin),
            (std::vector<int>{0, 1, 2, 3, 4, 5, 12, 13, 14, 15, 16, 17, 24, 25}));
  EXPECT_TRUE(EdgesWhere(cycles, &ConvQzramCycle::syncOut).empty());
}

TEST(ConvQzramModel, DiscreteBlockDeinterleaverWritesColumnsReadsRows) {
  const std::vector<int> dins{0, 3, 1, 4, 2, 5, 9, 9, 9, 9, 9, 9, 9};
  const auto cycles =
      RunCore(Settings(IntType::Block, IntMode::Deinterleaver, 2, 3), MemoryKind::Internal, Steady(dins));
  EXPECT_EQ(EdgesWhere(cycles, &ConvQzramCycle::doutValid), (std::vector<int>{7, 8, 9, 10, 11, 12}));
  std::vector<int> valid;
  for (const ConvQzramCycle& c : cycles) {
    if (c.doutValid) valid.push_back(static_cast<int>(*c.dout));
  }
  EXPECT_EQ(valid, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST(ConvQzramModel, ContinuousBlockPermutesEveryBlock) {
  // Every block is read by columns while the next is written in its place; blocks 1 and 2 use
  // the second and third address walks (steps 3 and 4 modulo 5).
  const auto cycles = RunCore(Settings(IntType::BlockContinous, IntMode::Interleaver, 2, 3), MemoryKind::Internal,
                              Steady(Ramp(26)));
  const std::vector<int> douts = Douts(cycles);
  EXPECT_EQ(std::vector<int>(douts.begin() + 8, douts.end()),
            (std::vector<int>{0, 3, 1, 4, 2, 5, 6, 9, 7, 10, 8, 11, 12, 15, 13, 16, 14, 17}));
  EXPECT_EQ(std::vector<int>(douts.begin(), douts.begin() + 8), std::vector<int>(8, X));
  EXPECT_EQ(EdgesWhere(cycles, &ConvQzramCycle::syncOut), std::vector<int>{8});
}

TEST(ConvQzramModel, ContinuousBlockDeinterleaverRestoresRows) {
  const auto cycles =
      RunCore(Settings(IntType::BlockContinous, IntMode::Deinterleaver, 2, 3), MemoryKind::Internal,
              Steady({0, 3, 1, 4, 2, 5, 6, 9, 7, 10, 8, 11, 12, 15, 13, 16, 14, 17, 0}));
  const std::vector<int> douts = Douts(cycles);
  EXPECT_EQ(std::vector<int>(douts.begin() + 7, douts.end()), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(GenaddrModel, ConvolutionalAddressesAndOneMoreSymbolPerBranch) {
  // I = 3, J = 2: branch b is a FIFO of 2b + 1 words (regions at 0, 1, 4), read and written at
  // one address, so it gives back the word written 2b + 1 of its symbols (6b + 3 edges) earlier.
  GenaddrModel model(Settings(IntType::Convolutional, IntMode::Interleaver, 3, 2));
  const auto inputs = Steady(Ramp(19));
  struct Want {
    std::uint32_t write, read;
  };
  const Want addresses[] = {{0, 0}, {1, 1}, {4, 4}, {0, 0}, {2, 2}, {5, 5}};
  std::vector<int> douts;
  std::vector<int> syncs;
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    const GenaddrCycle c = model.Edge(inputs[k]);
    if (k < 6) {
      EXPECT_EQ(c.writeAddr, addresses[k].write) << k;
      EXPECT_EQ(c.readAddr, addresses[k].read) << k;
    }
    EXPECT_FALSE(c.blockWriteEnable || c.blockFull || c.blockEmpty);
    douts.push_back(c.ramOut ? static_cast<int>(*c.ramOut) : X);
    if (c.syncOut) syncs.push_back(static_cast<int>(k));
  }
  EXPECT_EQ(douts, (std::vector<int>{X, X, X, 0, X, X, 3, X, X, 6, 1, X, 9, 4, X, 12, 7, 2, 15}));
  EXPECT_EQ(syncs, std::vector<int>{3});
}

TEST(GenaddrModel, DiscreteBlockSinglePortSequence) {
  // 2 x 3: writes at 0..5, then reads 0 3 1 4 2 5 (step 3 modulo 5, the last word 5).
  GenaddrModel model(Settings(IntType::Block, IntMode::Interleaver, 2, 3));
  const auto inputs = Steady(Ramp(13));
  const std::uint32_t reads[] = {0, 1, 2, 3, 4, 5, 0, 3, 1, 4, 2, 5, 0};
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    const GenaddrCycle c = model.Edge(inputs[k]);
    EXPECT_EQ(c.readAddr, reads[k]) << k;
    EXPECT_EQ(c.writeAddr, 0u);
    EXPECT_EQ(c.blockWriteEnable, k < 6 || k == 12) << k;
    EXPECT_EQ(c.blockFull, k >= 6 && k < 12) << k;
    EXPECT_EQ(c.blockEmpty, !(k >= 6 && k < 12)) << k;
    if (c.blockFull) {
      EXPECT_EQ(c.ramOut, std::optional<std::uint64_t>(reads[k])) << k;
    }
  }
}

}  // namespace
}  // namespace zorvex::core
