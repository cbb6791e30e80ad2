#include "platform/dialog_template.h"

#include <algorithm>
#include <cmath>
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

// Set once by the GUI before the first window is built, on the one GUI thread.
DialogBaseUnits baseUnits;

} // namespace

void SetDialogBaseUnits(DialogBaseUnits units)
{
    baseUnits = DialogBaseUnits{units.x < 1 ? 1 : units.x, units.y < 1 ? 1 : units.y};
}

DialogBaseUnits GetDialogBaseUnits()
{
    return baseUnits;
}

DialogBaseUnits BaseUnitsOfFont(double lettersWidth, double height, double lettersWidthAt96, double heightAt96)
{
    if (!(lettersWidthAt96 > 0) || !(heightAt96 > 0) || !(lettersWidth > 0) || !(height > 0))
        return DialogBaseUnits{};
    // Up, but not past a whole unit that rounding in the division missed.
    const auto grown = [](int classic, double ratio) { return int(std::ceil(std::min(classic * ratio, 1e6) - 1e-6)); };
    const DialogBaseUnits classic;
    return DialogBaseUnits{grown(classic.x, lettersWidth / lettersWidthAt96), grown(classic.y, height / heightAt96)};
}

int DialogUnitsToPixelsX(int units)
{
    return ScaleRounded(units, baseUnits.x, 4);
}

int DialogUnitsToPixelsY(int units)
{
    return ScaleRounded(units, baseUnits.y, 8);
}

int FontPixelsX(int pixels)
{
    return ScaleRounded(pixels, baseUnits.x, 6);
}

int FontPixelsY(int pixels)
{
    return ScaleRounded(pixels, baseUnits.y, 13);
}
