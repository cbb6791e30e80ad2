#include "settings/interleaver_settings.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

InterleaverSettings WithAlgorithm(int convolutional, int block, int continuous)
{
    InterleaverSettings s;
    s.CONVOLUTIONAL = convolutional;
    s.BLOCK = block;
    s.BLOCK_CONTINOUS = continuous;
    return s;
}

} // namespace

TEST(BitLength, CountsTruncatingHalvings)
{
    const int cases[][2] = {{0, 0},  {1, 1},  {2, 2},  {3, 2},       {187, 8},   {255, 8},
                            {256, 9}, {-1, 1}, {-5, 3}, {INT_MAX, 31}, {INT_MIN, 32}};
    for (const auto& c : cases)
        EXPECT_EQ(BitLength(c[0]), c[1]) << "x = " << c[0];
}

TEST(InterleaverSettings, DerivedFiguresFollowTheAlgorithmFlags)
{
    // B = 10 throughout. Convolutional I = 12, J = 17: 4 + BitLength(187) = 12 bits,
    // 11 * 17 * 12 = 2244 words, 2244 / 204 = 11 codewords, 10 / 11 = 0 check symbols raised to 2,
    // (2244 + 6) * 120 = 270000. Block: 4 + BitLength(17) = 9 bits, 204 words, 2 * 204 + 4,
    // 204 / 204 = 1, 2 * 10 / 1, 204 * 160.
    const struct {
        const char* what;
        int convolutional, block, continuous, i, j, n;
        bool continuousFlow, blockMode;
        int addressWidth, memoryWords, latencyCycles, codewordsSpread, checkSymbols, vectorEndTime;
    } cases[] = {
        {"initial settings", 1, 0, 0, 12, 17, 204, true, false, 12, 2244, 2250, 11, 2, 270000},
        {"block", 0, 1, 0, 12, 17, 204, false, true, 9, 204, 412, 1, 20, 32640},
        // Width kept from the start; block rules except the end time, which follows the flow.
        {"continuous block alone", 0, 0, 1, 12, 17, 204, true, true, 12, 204, 412, 1, 20, 270000},
        // The block width wins; everything else is convolutional.
        {"convolutional and block", 1, 1, 0, 12, 17, 204, true, true, 9, 2244, 2250, 11, 2, 270000},
        {"no algorithm", 0, 0, 0, 12, 17, 204, false, false, 12, 204, 412, 1, 20, 32640},
        {"flags other than 1", 2, -1, 5, 12, 17, 204, false, false, 12, 204, 412, 1, 20, 32640},
        // 39 * 500 * 40 = 780000; BitLength(40) + BitLength(19500) = 6 + 15.
        {"largest valid", 1, 0, 0, 40, 500, 2, true, false, 21, 780000, 780006, 390000, 2, 93600720},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InterleaverSettings s = WithAlgorithm(c.convolutional, c.block, c.continuous);
        s.CHARACTERISTIC_I = c.i;
        s.CHARACTERISTIC_J = c.j;
        s.NUMBER_OF_SYMBOL_PER_CODEWORD = c.n;
        EXPECT_EQ(s.continuousFlow(), c.continuousFlow);
        EXPECT_EQ(s.blockMode(), c.blockMode);
        EXPECT_EQ(s.addressWidth(), c.addressWidth);
        EXPECT_EQ(s.memoryWords(), c.memoryWords);
        EXPECT_EQ(s.latencyCycles(), c.latencyCycles);
        EXPECT_EQ(s.codewordsSpread(), c.codewordsSpread);
        EXPECT_EQ(s.checkSymbols(), c.checkSymbols);
        EXPECT_EQ(s.vectorEndTime(), c.vectorEndTime);
    }
}

TEST(InterleaverSettings, AddressWidthKeepsItsLastEvaluatedValue)
{
    InterleaverSettings s = WithAlgorithm(0, 1, 0);
    s.CHARACTERISTIC_I = 40;
    s.CHARACTERISTIC_J = 500;
    EXPECT_EQ(s.addressWidth(), 6 + 9);

    s.BLOCK = 0;
    s.CHARACTERISTIC_I = 2;
    s.CHARACTERISTIC_J = 2;
    EXPECT_EQ(s.addressWidth(), 15);

    s.CONVOLUTIONAL = 1;
    EXPECT_EQ(s.addressWidth(), 2 + 2); // BitLength(2) + BitLength(2 * 1)
    s.CONVOLUTIONAL = 0;
    s.CHARACTERISTIC_I = 40;
    EXPECT_EQ(s.addressWidth(), 4);
}

TEST(InterleaverSettings, CheckSymbolsFallBackWhenSpreadOrResultIsSmall)
{
    const struct {
        const char* what;
        int i, j, n, b;
        int expected;
    } cases[] = {
        // Block mode throughout: spread = I * J / N.
        {"spread 0 doubles the burst", 2, 2, 5, 10, 20},
        {"codeword length 0 gives spread 0", 12, 17, 0, 7, 14},
        {"negative spread doubles the burst", 12, 17, -204, 10, 20},
        {"burst 0 gives 0, raised to 2", 12, 17, 204, 0, 2},
        {"negative burst raised to 2", 2, 2, 5, -3, 2},
        {"burst shorter than spread raised to 2", 12, 17, 20, 9, 2},
        {"burst divided by spread", 12, 17, 20, 25, 4},
    };
    for (const auto& c : cases) {
        InterleaverSettings s = WithAlgorithm(0, 1, 0);
        s.CHARACTERISTIC_I = c.i;
        s.CHARACTERISTIC_J = c.j;
        s.NUMBER_OF_SYMBOL_PER_CODEWORD = c.n;
        s.NUMBER_OF_BURST_ERROR = c.b;
        EXPECT_EQ(s.checkSymbols(), c.expected) << c.what;
    }
}

TEST(InterleaverSettings, ExtremeValuesWrapAsThirtyTwoBitArithmetic)
{
    // Block, I = INT_MIN, J = -1: I * J = 2^31 wraps to INT_MIN, and INT_MIN / -1 wraps again.
    InterleaverSettings block = WithAlgorithm(0, 1, 0);
    block.CHARACTERISTIC_I = INT_MIN;
    block.CHARACTERISTIC_J = -1;
    block.NUMBER_OF_SYMBOL_PER_CODEWORD = -1;
    EXPECT_EQ(block.memoryWords(), INT_MIN);
    EXPECT_EQ(block.codewordsSpread(), INT_MIN);
    EXPECT_EQ(block.latencyCycles(), 4);  // 2^32 + 4
    EXPECT_EQ(block.vectorEndTime(), 0);  // -2^31 * 160 is a multiple of 2^32
    EXPECT_EQ(block.addressWidth(), 33);  // 32 + 1

    // Convolutional, I = INT_MIN, J = 1: (I - 1) * J = -2^31 - 1 wraps to INT_MAX;
    // times I gives 2^62 + 2^31, which is INT_MIN modulo 2^32.
    InterleaverSettings low;
    low.CHARACTERISTIC_I = INT_MIN;
    low.CHARACTERISTIC_J = 1;
    EXPECT_EQ(low.addressWidth(), 32 + 31);
    EXPECT_EQ(low.memoryWords(), INT_MIN);
    EXPECT_EQ(low.latencyCycles(), INT_MIN + 6);

    // Convolutional, I = J = INT_MAX: (I - 1) * J = 2^62 - 3 * 2^31 + 2, which is INT_MIN + 2
    // modulo 2^32; times I gives INT_MAX - 1.
    InterleaverSettings high;
    high.CHARACTERISTIC_I = INT_MAX;
    high.CHARACTERISTIC_J = INT_MAX;
    EXPECT_EQ(high.addressWidth(), 31 + 31);
    EXPECT_EQ(high.memoryWords(), INT_MAX - 1);
    EXPECT_EQ(high.latencyCycles(), INT_MIN + 4);
}

TEST(InterleaverSettings, AnyValuesComputeWithinBounds)
{
    // Every combination of boundary values; the sanitizer build turns any overflow into a failure.
    const int values[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, 2, INT_MAX - 1, INT_MAX};
    const int algorithms[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};
    for (const auto& algorithm : algorithms)
        for (int i : values)
            for (int j : values)
                for (int n : values)
                    for (int b : values) {
                        InterleaverSettings s = WithAlgorithm(algorithm[0], algorithm[1], algorithm[2]);
                        s.CHARACTERISTIC_I = i;
                        s.CHARACTERISTIC_J = j;
                        s.NUMBER_OF_SYMBOL_PER_CODEWORD = n;
                        s.NUMBER_OF_BURST_ERROR = b;
                        const int width = s.addressWidth();
                        ASSERT_GE(width, 0);
                        ASSERT_LE(width, 64);
                        ASSERT_GE(s.checkSymbols(), 1);
                        if (n == 0) {
                            ASSERT_EQ(s.codewordsSpread(), 0);
                        }
                        // Computed for the sanitizers, which turn any overflow into a failure;
                        // the values are checked at the extremes below.
                        s.latencyCycles();
                        s.vectorEndTime();
                    }

    // Worked out by hand in 32-bit two's complement arithmetic.
    const struct {
        const char* what;
        int convolutional, i, j, n, b;
        int addressWidth, memoryWords, latencyCycles, codewordsSpread, checkSymbols, vectorEndTime;
    } cases[] = {
        // (I-1)*J wraps to -2^31+2, times I to 2^31-2; the end time (2^31+4) * 120 wraps to 480.
        {"convolutional, largest", 1, INT_MAX, INT_MAX, -1, INT_MAX, 31 + 31, 2147483646, -2147483644, -2147483646, 2, 480},
        // I*J = 2^62 wraps to 0; each of I and J takes 32 halvings.
        {"block, smallest", 0, INT_MIN, INT_MIN, INT_MIN, INT_MAX, 64, 0, 4, 0, 2, 0},
        // (I-1)*J = 2^31+1 wraps to -2^31+1, times I to -2^31, which divided by -1 stays -2^31.
        {"convolutional, smallest over -1", 1, INT_MIN, -1, -1, 3, 32 + 31, INT_MIN, INT_MIN + 6, INT_MIN, 6, 720},
    };
    for (const auto& c : cases) {
        InterleaverSettings s = WithAlgorithm(c.convolutional, 1 - c.convolutional, 0);
        s.CHARACTERISTIC_I = c.i;
        s.CHARACTERISTIC_J = c.j;
        s.NUMBER_OF_SYMBOL_PER_CODEWORD = c.n;
        s.NUMBER_OF_BURST_ERROR = c.b;
        EXPECT_EQ(s.addressWidth(), c.addressWidth) << c.what;
        EXPECT_EQ(s.memoryWords(), c.memoryWords) << c.what;
        EXPECT_EQ(s.latencyCycles(), c.latencyCycles) << c.what;
        EXPECT_EQ(s.codewordsSpread(), c.codewordsSpread) << c.what;
        EXPECT_EQ(s.checkSymbols(), c.checkSymbols) << c.what;
        EXPECT_EQ(s.vectorEndTime(), c.vectorEndTime) << c.what;
    }
}
