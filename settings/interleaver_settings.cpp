#include "settings/interleaver_settings.h"

#include <cstdint>

namespace {

// Every operand below is an int or an int plus or minus a small constant, so a product of two of
// them stays far inside the 64-bit range; narrowing it back to int wraps as two's complement,
// which is what 32-bit arithmetic would give without its undefined overflow.
int Wrap(int64_t value)
{
    return static_cast<int>(static_cast<uint32_t>(value));
}

int Multiply(int64_t a, int64_t b)
{
    return Wrap(a * b);
}

// (I - 1) * J * I, the number of symbols held by the convolutional branches.
int ConvolutionalDelay(int i, int j)
{
    return Multiply(Multiply(int64_t(i) - 1, j), i);
}

} // namespace

int BitLength(int x)
{
    // Truncating halvings take a negative value to 0 in as many steps as its magnitude needs.
    int64_t rest = x;
    int halvings = 0;
    while (rest != 0) {
        rest /= 2;
        ++halvings;
    }
    return halvings;
}

bool InterleaverSettings::continuousFlow() const
{
    return BLOCK_CONTINOUS == 1 || CONVOLUTIONAL == 1;
}

bool InterleaverSettings::blockMode() const
{
    return BLOCK_CONTINOUS == 1 || BLOCK == 1;
}

int InterleaverSettings::addressWidth() const
{
    // The block rule is applied after the convolutional one, so it wins when both flags are set.
    if (CONVOLUTIONAL == 1)
        lastAddressWidth_ =
            BitLength(CHARACTERISTIC_I) + BitLength(Multiply(CHARACTERISTIC_J, int64_t(CHARACTERISTIC_I) - 1));
    if (BLOCK == 1)
        lastAddressWidth_ = BitLength(CHARACTERISTIC_I) + BitLength(CHARACTERISTIC_J);
    return lastAddressWidth_;
}

int InterleaverSettings::memoryWords() const
{
    if (CONVOLUTIONAL == 1)
        return ConvolutionalDelay(CHARACTERISTIC_I, CHARACTERISTIC_J);
    return Multiply(CHARACTERISTIC_I, CHARACTERISTIC_J);
}

int InterleaverSettings::latencyCycles() const
{
    if (CONVOLUTIONAL == 1)
        return Wrap(int64_t(ConvolutionalDelay(CHARACTERISTIC_I, CHARACTERISTIC_J)) + 6);
    return Wrap(int64_t(Multiply(Multiply(2, CHARACTERISTIC_I), CHARACTERISTIC_J)) + 4);
}

int InterleaverSettings::codewordsSpread() const
{
    const int n = NUMBER_OF_SYMBOL_PER_CODEWORD;
    if (n == 0)
        return 0;
    // The symbols held in memory are spread over the codewords.
    const int held = memoryWords();
    // Dividing in 64 bits keeps the most negative product divided by -1 defined.
    return Wrap(int64_t(held) / n);
}

int InterleaverSettings::checkSymbols() const
{
    const int spread = codewordsSpread();
    const int64_t burst = NUMBER_OF_BURST_ERROR;
    const int result = spread > 0 ? Multiply(2, burst / spread) : Multiply(2, burst);
    return result < 1 ? 2 : result;
}

int InterleaverSettings::vectorEndTime() const
{
    if (continuousFlow())
        return Multiply(int64_t(ConvolutionalDelay(CHARACTERISTIC_I, CHARACTERISTIC_J)) + 6, 120);
    return Multiply(Multiply(CHARACTERISTIC_I, CHARACTERISTIC_J), 160);
}
