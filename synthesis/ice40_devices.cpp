#include "synthesis/ice40_devices.h"

#include "platform/printable_text.h"

#include <algorithm>

namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return lower;
}

std::string Joined(const std::vector<std::string_view>& words)
{
    std::string text;
    for (const std::string_view word : words)
        text += (text.empty() ? "" : ", ") + std::string(word);
    return text;
}

} // namespace

const std::vector<Ice40Device>& Ice40Devices()
{
    // The packages are those nextpnr-ice40 accepts for each device; the default is the one of the
    // common boards (the HX1K's stick, the HX8K's breakout board, the UP5K's sg48 boards). The RAM
    // blocks are those nextpnr counts: the 4K parts are the 8K's die and use all of its blocks.
    static const std::vector<Ice40Device> devices = {
        {"lp384", "iCE40 LP384", {"qn32", "cm36", "cm49"}, 0},
        {"lp1k",
         "iCE40 LP1K",
         {"qn84", "cm36", "cm49", "swg16tr", "cm81", "cb81", "cm121", "cb121", "vq100", "cb132", "tq144"},
         16},
        {"lp4k", "iCE40 LP4K", {"cm81", "cm121", "cb132", "tq144", "bg121", "cm225"}, 32},
        {"lp8k", "iCE40 LP8K", {"cm81", "cm121", "cb132", "bg121", "cm225", "ct256"}, 32},
        {"hx1k",
         "iCE40 HX1K",
         {"tq144", "cm36", "cm49", "swg16tr", "cm81", "cb81", "qn84", "cm121", "cb121", "vq100", "cb132"},
         16},
        {"hx4k", "iCE40 HX4K", {"tq144", "cm81", "cm121", "cb132", "bg121", "cm225"}, 32},
        {"hx8k", "iCE40 HX8K", {"ct256", "cm81", "cm121", "cb132", "bg121", "cm225"}, 32},
        {"up3k", "iCE40 UP3K", {"sg48", "uwg30"}, 30},
        {"up5k", "iCE40 UP5K", {"sg48", "uwg30"}, 30},
        {"u1k", "iCE5LP1K", {"sg48"}, 20},
        {"u2k", "iCE5LP2K", {"sg48"}, 20},
        {"u4k", "iCE5LP4K", {"sg48"}, 20},
    };
    return devices;
}

const Ice40Device* FindIce40Device(std::string_view name)
{
    const std::string lower = Lower(name);
    for (const Ice40Device& device : Ice40Devices()) {
        if (device.name == lower)
            return &device;
    }
    return nullptr;
}

bool ChooseIce40Part(std::string& device, std::string& package, std::string& error)
{
    std::string named = device;
    std::string attached;
    if (const size_t colon = device.find(':'); colon != std::string::npos) {
        named = device.substr(0, colon);
        attached = device.substr(colon + 1);
        if (attached.empty()) {
            error = "--device " + PrintableText(device) + " names no package after the colon";
            return false;
        }
    }
    const Ice40Device* found = FindIce40Device(named);
    if (found == nullptr) {
        std::vector<std::string_view> names;
        for (const Ice40Device& each : Ice40Devices())
            names.push_back(each.name);
        error = "--device needs one of the iCE40 devices " + Joined(names) + ", not \"" + PrintableText(named) + "\"";
        return false;
    }
    if (!attached.empty() && !package.empty() && Lower(attached) != Lower(package)) {
        error = "--device " + PrintableText(device) + " and --package " + PrintableText(package) + " name two packages";
        return false;
    }
    const std::string chosen = Lower(!attached.empty() ? attached : package);
    if (!chosen.empty() && std::find(found->packages.begin(), found->packages.end(), chosen) == found->packages.end()) {
        error = "the " + std::string(found->shownName) + " comes in the packages " + Joined(found->packages)
            + ", not \"" + PrintableText(chosen) + "\"";
        return false;
    }
    device = std::string(found->name);
    package = chosen.empty() ? std::string(found->packages.front()) : chosen;
    return true;
}

std::int64_t LeastRamBlocks(std::int64_t words, std::int64_t bits)
{
    return (words * bits + kIce40RamBlockBits - 1) / kIce40RamBlockBits;
}

std::string ShownPart(const SynthesisTarget& target)
{
    const Ice40Device* device = FindIce40Device(target.device);
    return (device != nullptr ? std::string(device->shownName) : target.device) + " (" + target.package + ")";
}
