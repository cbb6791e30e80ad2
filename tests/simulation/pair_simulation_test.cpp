#include "simulation/pair_simulation.h"

#include <gtest/gtest.h>

namespace {

TEST(PairSimulation, ADiscreteBlocksSymbolCountsOnlyWhereItIsMarkedValid)
{
    // Taken at edges 0 to 2 and shown 2 edges later with the right values; the last of them is
    // not marked, which only a discrete block's dout_valid makes a missing symbol.
    const std::vector<std::string> din{"01", "10", "11", "00", "01", "10"};
    const std::vector<std::int64_t> taken{0, 1, 2};
    const std::vector<StageRecord> out{
        {false, false, "00"}, {false, false, "00"}, {false, true, "01"},
        {false, true, "10"},  {false, false, "11"}, {false, false, "00"},
    };
    for (const bool discrete : {true, false}) {
        SCOPED_TRACE(discrete ? "discrete block" : "stream");
        PairOutcome outcome;
        outcome.cycles = std::int64_t(out.size());
        MeasurePairLatency(din, taken, out, discrete, outcome);
        EXPECT_EQ(outcome.measuredLatency, std::optional<std::int64_t>(2));
        EXPECT_EQ(outcome.symbolsChecked, 3);
        EXPECT_EQ(outcome.mismatches, discrete ? 1 : 0);
    }
}

} // namespace
