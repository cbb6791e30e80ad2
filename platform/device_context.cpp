#include "platform/device_context.h"

#include <array>

namespace {

// The twenty entries of the default palette: the first ten and the last ten of the classic
// system palette.
constexpr std::array<Colour, 20> kDefaultPalette = {
    Rgb(0, 0, 0),       Rgb(128, 0, 0),     Rgb(0, 128, 0),     Rgb(128, 128, 0),   Rgb(0, 0, 128),
    Rgb(128, 0, 128),   Rgb(0, 128, 128),   Rgb(192, 192, 192), Rgb(192, 220, 192), Rgb(166, 202, 240),
    Rgb(255, 251, 240), Rgb(160, 160, 164), Rgb(128, 128, 128), Rgb(255, 0, 0),     Rgb(0, 255, 0),
    Rgb(255, 255, 0),   Rgb(0, 0, 255),     Rgb(255, 0, 255),   Rgb(0, 255, 255),   Rgb(255, 255, 255),
};

constexpr Colour kPaletteFlag = 0x01000000u;

} // namespace

Colour ResolveColour(Colour colour)
{
    if ((colour & 0xFF000000u) == kPaletteFlag) {
        // An index past the palette's end selects its first entry, as the palette lookup does.
        const uint32_t entry = colour & 0xFFFFu;
        return entry < kDefaultPalette.size() ? kDefaultPalette[entry] : kDefaultPalette[0];
    }
    return colour & 0x00FFFFFFu;
}
