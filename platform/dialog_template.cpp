#include "platform/dialog_template.h"

#include <cstdint>

namespace {

// Rounds numerator / denominator to the nearest integer, halves away from zero, in 64 bits so
// that no template value can overflow on the way.
int ScaleRounded(int units, int numerator, int denominator)
{
    const int64_t product = int64_t(units) * numerator;
    const int64_t half = denominator / 2;
    const int64_t rounded = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return int(rounded);
}

} // namespace

int DialogUnitsToPixelsX(int units)
{
    return ScaleRounded(units, 6, 4);
}

int DialogUnitsToPixelsY(int units)
{
    return ScaleRounded(units, 13, 8);
}
