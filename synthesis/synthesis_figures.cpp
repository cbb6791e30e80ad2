#include "synthesis/synthesis_figures.h"

#include "platform/printable_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string_view>

namespace {

bool ParseCount(std::string_view text, std::int64_t& value)
{
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
    return failed == std::errc() && end == text.data() + text.size() && value >= 0;
}

} // namespace

bool FlipFlopsFromStat(const std::string& stat, std::int64_t& flipFlops)
{
    bool counted = false;
    std::istringstream lines(stat);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string name, count, rest;
        words >> name >> count;
        if (line.find("Number of cells:") != std::string::npos) {
            counted = true;
            flipFlops = 0;
        } else if (std::int64_t n = 0;
                   counted && name.rfind("SB_DFF", 0) == 0 && !(words >> rest) && ParseCount(count, n)) {
            flipFlops += n;
        }
    }
    return counted;
}

std::vector<DeviceUse> Utilisation(const std::string& log)
{
    std::vector<DeviceUse> uses;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string info, resource, used, available;
        if (!(words >> info >> resource >> used >> available) || info != "Info:" || resource.size() < 2
            || resource.back() != ':' || used.empty() || used.back() != '/')
            continue;
        DeviceUse use;
        use.resource = resource.substr(0, resource.size() - 1);
        if (ParseCount(std::string_view(used).substr(0, used.size() - 1), use.used)
            && ParseCount(available, use.available))
            uses.push_back(use);
    }
    return uses;
}

bool UsedOf(const std::vector<DeviceUse>& uses, const std::string& resource, std::int64_t& used)
{
    for (const DeviceUse& use : uses) {
        if (use.resource == resource) {
            used = use.used;
            return true;
        }
    }
    return false;
}

bool FmaxFromLog(const std::string& log, double& mhz)
{
    const std::string mark = "Max frequency for clock '";
    const size_t at = log.rfind(mark);
    if (at == std::string::npos)
        return false;
    const size_t value = log.find("': ", at + mark.size());
    const size_t line = log.find('\n', at);
    if (value == std::string::npos || value > line)
        return false;
    const char* begin = log.data() + value + 3;
    const auto [end, failed] = std::from_chars(begin, log.data() + log.size(), mhz);
    // A clock rate that is no finite number is no figure.
    return failed == std::errc() && std::string_view(end, log.data() + log.size()).starts_with(" MHz") && mhz > 0
        && std::isfinite(mhz);
}

bool TimingMetFromLog(const std::string& log, bool& met)
{
    const size_t at = log.rfind("Max frequency for clock '");
    if (at == std::string::npos)
        return false;
    const std::string_view line = std::string_view(log).substr(at, log.find('\n', at) - at);
    const bool pass = line.find("(PASS at ") != std::string_view::npos;
    if (!pass && line.find("(FAIL at ") == std::string_view::npos)
        return false;
    met = pass;
    return true;
}

std::string DescribeSynthesis(const SynthesisOutcome& outcome)
{
    char seed[48];
    std::snprintf(seed, sizeof seed, ", seed %d, target %g MHz", outcome.seed, outcome.targetMHz);
    std::string text =
        "synthesis of " + outcome.module + " (its Verilog source) for the " + outcome.shownPart + seed + ": ";
    const std::string log = outcome.logPath.empty() ? "" : "  log: " + PrintableText(outcome.logPath) + "\n";
    if (!outcome.fits)
        return text + "does not fit: it needs at least " + std::to_string(outcome.ramBlocks)
            + " RAM blocks and the device has " + std::to_string(outcome.ramBlocksAvailable)
            + "; with --memory external the core keeps its symbols in a RAM outside the device\n" + log;
    char fmax[32];
    std::snprintf(fmax, sizeof fmax, "%.2f", outcome.fmaxMHz);
    return text + std::to_string(outcome.luts) + " logic cells, " + std::to_string(outcome.flipFlops) + " flip-flops, "
        + std::to_string(outcome.ramBlocks) + " of " + std::to_string(outcome.ramBlocksAvailable) + " RAM blocks, Fmax "
        + fmax + " MHz: the target is " + (outcome.timingMet ? "met" : "not met") + "\n" + log;
}
