// The promise of the pair: an interleaver followed by its deinterleaver returns every symbol,
// latencyCycles later; and genaddr with the external RAM gives conv_qzram's output sequence.
#include "core_model/core_models.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace zorvex::core {
namespace {

struct Corner {
  IntType type;
  MemoryKind memory;
  int depth, delay, width;
  std::size_t framePeriod = 0;  // sync_in every framePeriod symbols; 0: at the first only
  bool ramWritesLate = false;   // genaddr's RAM takes each write at the next enabled edge
};

std::vector<CycleInput> RandomSteady(std::size_t n, int width, std::mt19937_64& random, std::size_t framePeriod = 0) {
  const std::uint64_t mask = width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
  std::vector<CycleInput> inputs(n);
  for (std::size_t k = 0; k < n; ++k) {
    inputs[k].clockEnable = true;
    inputs[k].syncIn = k == 0 || (framePeriod > 0 && k % framePeriod == 0);
    inputs[k].din = random() & mask;
  }
  return inputs;
}

// Every symbol taken from edge 0 on is on the deinterleaver's dout right after edge
// t + latency; sync_out marks exactly the frame starts (every one of them), the discrete
// block's dout_valid exactly the symbols taken.
void ExpectPairReturnsEverySymbol(const Corner& c, std::mt19937_64& random) {
  CoreSettings s;
  s.type = c.type;
  s.depth = c.depth;
  s.delay = c.delay;
  s.width = c.width;
  const std::int64_t latency = PairLatencyCycles(s, c.memory);
  const bool discrete = c.type == IntType::Block;
  const std::int64_t blockSize = static_cast<std::int64_t>(c.depth) * c.delay;
  // Discrete blocks take symbols only while writing: two blocks and a half of them.
  const std::int64_t taken = discrete ? 5 * blockSize / 2 : 3 * blockSize;
  const std::size_t cycles = static_cast<std::size_t>(latency + (discrete ? 2 * taken : taken) + 2);
  const std::vector<CycleInput> inputs = RandomSteady(cycles, c.width, random, c.framePeriod);
  const std::vector<PairCycle> out = RunPair(s, c.memory, inputs, c.ramWritesLate);
  const std::string where = std::to_string(c.depth) + "x" + std::to_string(c.delay) + " W" +
                            std::to_string(c.width) + " type " + std::to_string(static_cast<int>(c.type)) +
                            (c.memory == MemoryKind::External ? " genaddr" : " conv_qzram") +
                            (c.ramWritesLate ? " RAM writing late" : "");
  std::int64_t checked = 0;
  for (std::size_t t = 0; t + static_cast<std::size_t>(latency) < cycles; ++t) {
    if (discrete && !out[t].interleaver.nextDin) continue;
    const ConvQzramCycle& back = out[t + static_cast<std::size_t>(latency)].deinterleaver;
    ASSERT_EQ(back.dout, inputs[t].din) << where << " edge " << t;
    ++checked;
  }
  EXPECT_GE(checked, taken / 2) << where;
  std::int64_t marks = 0;
  for (std::size_t t = 0; t < cycles; ++t) {
    const ConvQzramCycle& d = out[t].deinterleaver;
    if (!discrete && static_cast<std::int64_t>(t) >= latency) {
      EXPECT_EQ(d.syncOut, inputs[t - static_cast<std::size_t>(latency)].syncIn) << where << " edge " << t;
      marks += d.syncOut;
    }
    // The discrete deinterleaver's output is valid exactly where the interleaver took a symbol.
    if (discrete && static_cast<std::int64_t>(t) >= latency) {
      ASSERT_EQ(d.doutValid, out[t - static_cast<std::size_t>(latency)].interleaver.nextDin) << where << " edge " << t;
      marks += d.doutValid;
    }
    if (!discrete && static_cast<std::int64_t>(t) < latency) {
      EXPECT_FALSE(d.dout.has_value()) << where << " edge " << t;
    }
  }
  std::int64_t starts = 0;
  for (std::size_t t = 0; t + static_cast<std::size_t>(latency) < cycles; ++t) starts += inputs[t].syncIn;
  EXPECT_EQ(marks, discrete ? checked : starts) << where;
}

TEST(CorePair, ReturnsEverySymbolAtTheCorners) {
  std::mt19937_64 random(20240611);
  const int corners[][3] = {{2, 2, 1}, {12, 17, 8}, {40, 500, 8}};
  for (const auto& k : corners) {
    for (IntType type : {IntType::Convolutional, IntType::Block, IntType::BlockContinous}) {
      for (MemoryKind memory : {MemoryKind::Internal, MemoryKind::External}) {
        ExpectPairReturnsEverySymbol({type, memory, k[0], k[1], k[2]}, random);
        // A frame (a block) every I*J symbols, every one marked.
        const std::size_t frame = static_cast<std::size_t>(k[0]) * static_cast<std::size_t>(k[1]);
        if (type != IntType::Block) ExpectPairReturnsEverySymbol({type, memory, k[0], k[1], k[2], frame}, random);
        // A RAM beside genaddr that writes a symbol late loses no symbol: genaddr never needs a
        // word at the symbol after its write.
        if (memory == MemoryKind::External)
          ExpectPairReturnsEverySymbol({type, memory, k[0], k[1], k[2], type == IntType::Block ? 0 : frame, true},
                                       random);
      }
    }
  }
}

TEST(CorePair, ReturnsEverySymbolForSeededSettings) {
  std::mt19937_64 random(7);
  for (int n = 0; n < 24; ++n) {
    const int depth = 2 + static_cast<int>(random() % 15);
    const int delay = 2 + static_cast<int>(random() % 40);
    const int width = 1 + static_cast<int>(random() % 64);
    const IntType type = static_cast<IntType>(n % 3);
    const MemoryKind memory = n % 2 ? MemoryKind::External : MemoryKind::Internal;
    ExpectPairReturnsEverySymbol({type, memory, depth, delay, width}, random);
  }
}

TEST(CorePair, LatencyFigures) {
  CoreSettings s;
  s.depth = 40;
  s.delay = 500;
  s.type = IntType::Convolutional;
  EXPECT_EQ(PairLatencyCycles(s, MemoryKind::Internal), 39 * 500 * 40 + 6);
  EXPECT_EQ(PairLatencyCycles(s, MemoryKind::External), 39 * 500 * 40 + 2 * 40 + 1);
  s.type = IntType::Block;
  EXPECT_EQ(PairLatencyCycles(s, MemoryKind::Internal), 2 * 40 * 500 + 4);
  EXPECT_EQ(PairLatencyCycles(s, MemoryKind::External), 2 * 40 * 500 + 1);
}

// genaddr and the RAM give conv_qzram's output sequence, shifted by the difference of their
// latencies: conv_qzram's pipeline registers less, for convolutional cores, genaddr's one more
// symbol per branch (I edges).
TEST(GenaddrWithRam, GivesConvQzramSequence) {
  std::mt19937_64 random(99);
  for (int n = 0; n < 36; ++n) {
    CoreSettings s;
    s.type = static_cast<IntType>(n % 3);
    s.mode = (n / 3) % 2 ? IntMode::Deinterleaver : IntMode::Interleaver;
    s.depth = 2 + static_cast<int>(random() % 12);
    s.delay = 2 + static_cast<int>(random() % 20);
    s.width = 1 + static_cast<int>(random() % 64);
    const std::int64_t shift = (s.type == IntType::Convolutional ? s.depth : 0) -
                               PipelineCycles(s, MemoryKind::Internal);
    const std::size_t cycles = static_cast<std::size_t>(4 * s.depth * s.depth * s.delay + 64);
    const std::vector<CycleInput> inputs = RandomSteady(cycles, s.width, random);
    const auto internal = RunCore(s, MemoryKind::Internal, inputs);
    const auto external = RunCore(s, MemoryKind::External, inputs);
    int defined = 0;
    for (std::size_t k = 64; k < cycles; ++k) {
      const std::size_t j = static_cast<std::size_t>(static_cast<std::int64_t>(k) - shift);
      if (j >= cycles) continue;
      ASSERT_EQ(external[k].dout.has_value(), internal[j].dout.has_value()) << n << " edge " << k;
      ASSERT_EQ(external[k].dout, internal[j].dout) << n << " edge " << k;
      ASSERT_EQ(external[k].syncOut, internal[j].syncOut) << n << " edge " << k;
      ASSERT_EQ(external[k].doutValid, internal[j].doutValid) << n << " edge " << k;
      defined += external[k].dout.has_value();
    }
    EXPECT_GT(defined, 0) << n;
  }
}

}  // namespace
}  // namespace zorvex::core
