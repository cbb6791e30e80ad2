#include "synthesis/synthesis_figures.h"

#include <gtest/gtest.h>

namespace {

TEST(FmaxFromLog, OnlyAFinitePositiveRateAfterRoutingIsAFigure)
{
    const std::string placed = "Info: Max frequency for clock 'clock': 80.00 MHz (PASS at 12.00 MHz)\n";
    const struct {
        std::string routed;
        double mhz; // 0: no figure
    } cases[] = {
        {"Info: Max frequency for clock 'clock': 123.45 MHz (PASS at 12.00 MHz)\n", 123.45},
        {"Info: Max frequency for clock 'clock': inf MHz (PASS at 12.00 MHz)\n", 0},
        {"Info: Max frequency for clock 'clock': nan MHz\n", 0},
        {"Info: Max frequency for clock 'clock': 0.00 MHz\n", 0},
        {"Info: Max frequency for clock 'clock': 99.5 GHz\n", 0},
    };
    for (const auto& c : cases) {
        double mhz = -1;
        EXPECT_EQ(FmaxFromLog(placed + c.routed, mhz), c.mhz > 0) << c.routed;
        if (c.mhz > 0) {
            EXPECT_DOUBLE_EQ(mhz, c.mhz);
        }
    }
}

} // namespace
