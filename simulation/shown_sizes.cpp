#include "simulation/shown_sizes.h"

#include <cstdio>
#include <iterator>

std::string ShownSize(std::int64_t bytes)
{
    const char* const units[] = {"bytes", "KiB", "MiB", "GiB"};
    double size = double(bytes);
    size_t unit = 0;
    while (size >= 1024 && unit + 1 < std::size(units)) {
        size /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", size, units[unit]);
    return text;
}

void ShowShortage(std::uint64_t need, std::uint64_t room, std::string& needText, std::string& roomText)
{
    const int shift = need < (std::uint64_t(1) << 20) ? 10 : 20;
    const char* unit = shift == 10 ? " KiB" : " MiB";
    const std::uint64_t step = std::uint64_t(1) << shift;
    needText = std::to_string(need / step + (need % step != 0 ? 1 : 0)) + unit;
    roomText = std::to_string(room / step) + unit;
}
