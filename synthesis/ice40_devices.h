#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An iCE40 part that nextpnr-ice40 places and routes for: the name --device takes (nextpnr's own
// option without its dashes), the name the reports show, the packages nextpnr knows it in (the one
// chosen when none is given first) and its RAM blocks of 4096 bits.
struct Ice40Device {
    std::string_view name; // "hx8k"
    std::string_view shownName; // "iCE40 HX8K"
    std::vector<std::string_view> packages; // the default first
    std::int64_t ramBlocks = 0;
};

// The bits each RAM block of every iCE40 holds (256 x 16 up to 2048 x 2).
constexpr std::int64_t kIce40RamBlockBits = 4096;

// The device a synthesis chooses when none is given: the HX8K in its ct256 package.
constexpr std::string_view kDefaultIce40Device = "hx8k";

// Every device, in nextpnr's order.
const std::vector<Ice40Device>& Ice40Devices();

// The device named name (in any case), or nullptr.
const Ice40Device* FindIce40Device(std::string_view name);

// Checks a part as --device ("hx8k", "hx8k:ct256") and --package (empty: none) give it, and sets
// both to its names in lower case, the device's default package when none is given. False with a
// message listing what is allowed.
bool ChooseIce40Part(std::string& device, std::string& package, std::string& error);

// The least RAM blocks a memory of words of bits each takes, whatever shape the blocks take.
std::int64_t LeastRamBlocks(std::int64_t words, std::int64_t bits);

// The part and the placement a synthesis is for, as --device, --package, --freq and --seed give
// them: the timing target passed to nextpnr and the seed of its placer.
struct SynthesisTarget {
    std::string device{kDefaultIce40Device};
    std::string package = "ct256";
    double freqMHz = 12;
    int seed = 1;
};

// The part as the reports show it: "iCE40 HX8K (ct256)".
std::string ShownPart(const SynthesisTarget& target);
