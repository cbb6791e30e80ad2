#include "core_model/core_settings.h"

#include <gtest/gtest.h>

namespace zorvex::core {
namespace {

TEST(CoreSettingsValidate, EachGenericOutOfRangeIsNamed) {
  struct Case {
    int depth, delay, width;
    bool valid;
    const char* message;
  };
  const Case cases[] = {
      {2, 2, 1, true, ""},
      {40, 500, 64, true, ""},
      {1, 17, 8, false, "INT_DEPTH must lie in 2 - 40"},
      {41, 17, 8, false, "INT_DEPTH must lie in 2 - 40"},
      {12, 1, 8, false, "SYMBOL_DELAY must lie in 2 - 500"},
      {12, 501, 8, false, "SYMBOL_DELAY must lie in 2 - 500"},
      {12, 17, 0, false, "SYMBOL_WIDTH must lie in 1 - 64"},
      {12, 17, 65, false, "SYMBOL_WIDTH must lie in 1 - 64"},
  };
  for (const Case& c : cases) {
    CoreSettings s;
    s.depth = c.depth;
    s.delay = c.delay;
    s.width = c.width;
    std::string message = "stale";
    EXPECT_EQ(Validate(s, message), c.valid) << c.depth << " " << c.delay << " " << c.width;
    EXPECT_EQ(message, c.message);
  }
}

TEST(CoreSettingsSizes, AddressWidthAndMemoryWords) {
  struct Case {
    IntType type;
    int depth, delay;
    int addressWidth;
    std::int64_t memoryWords;
    std::int64_t externalWords;
  };
  // BitLength(12) = 4, BitLength(17 * 11 = 187) = 8, BitLength(17) = 5; BitLength(2) = 2.
  const Case cases[] = {
  // Convolutional: branch k keeps k * J symbols, (I-1)IJ/2 in all, and genaddr one more each.
      {IntType::Convolutional, 12, 17, 12, 1122, 1122 + 12},
      {IntType::Block, 12, 17, 9, 12 * 17, 12 * 17},
      {IntType::BlockContinous, 12, 17, 9, 12 * 17, 12 * 17},
      {IntType::Convolutional, 2, 2, 4, 2, 4},
      {IntType::Block, 2, 2, 4, 4, 4},
      {IntType::Convolutional, 40, 500, 6 + 15, 390000, 390040},
      {IntType::Convolutional, 16, 2, 5 + 5, 240, 256},
  };
  for (const Case& c : cases) {
    CoreSettings s;
    s.type = c.type;
    s.depth = c.depth;
    s.delay = c.delay;
    EXPECT_EQ(AddressWidth(s), c.addressWidth) << c.depth << " " << c.delay;
    EXPECT_EQ(MemoryWords(s), c.memoryWords) << c.depth << " " << c.delay;
    EXPECT_EQ(ExternalWords(s), c.externalWords) << c.depth << " " << c.delay;
  }
}

TEST(CoreSettingsLatency, PairLatencyOfConvQzram) {
  CoreSettings s;
  s.depth = 12;
  s.delay = 17;
  s.type = IntType::Convolutional;
  EXPECT_EQ(PairLatencyCycles(s, MemoryKind::Internal), 11 * 17 * 12 + 6);
  s.type = IntType::Block;
  EXPECT_EQ(PairLatencyCycles(s, MemoryKind::Internal), 2 * 12 * 17 + 4);
  s.type = IntType::BlockContinous;
  EXPECT_EQ(PairLatencyCycles(s, MemoryKind::Internal), 2 * 12 * 17 + 4);
}

}  // namespace
}  // namespace zorvex::core
