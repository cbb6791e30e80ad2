#include "synthesis/core_synthesis.h"

#include "design/library_module.h"
#include "platform/path_lookup.h"
#include "platform/printable_text.h"
#include "platform/regular_file.h"
#include "platform/run_step.h"
#include "platform/temporary_folder.h"
#include "platform/write_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/statvfs.h>

using namespace zorvex::core;

namespace {

constexpr const char* kYosys = "yosys";
constexpr const char* kNextpnr = "nextpnr-ice40";
// The most of a log or report read.
constexpr size_t kMaxLogSize = size_t(64) << 20;

// The yosys script that reads the sources, sets the core's generics, synthesises it for the
// iCE40 and writes the netlist for nextpnr and the design's statistics beside the script. A
// path becomes one word of the script between double quotes, which yosys takes whole, blanks
// and all; a path holding a double quote or a line break cannot be written so.
bool YosysScript(const std::string& module, const CoreSettings& core, const std::vector<std::string>& sources,
                 std::string& script, std::string& error)
{
    std::string folders, files;
    for (const std::string& source : sources) {
        const std::string path = std::filesystem::absolute(source).lexically_normal().string();
        if (path.find_first_of("\"\r\n") != std::string::npos) {
            error = "yosys cannot be given the path " + PrintableText(path) + " (it holds a quote or a line break)";
            return false;
        }
        const std::string folder = " -I \"" + std::filesystem::path(path).parent_path().string() + "\"";
        if (folders.find(folder) == std::string::npos)
            folders += folder;
        if (!IsIncludedLibraryFile(path))
            files += " \"" + path + "\"";
    }
    if (files.empty()) {
        error = "no Verilog source to synthesise " + module + " from";
        return false;
    }
    std::string generics = " -set INT_TYPE \"" + TypeGeneric(core.type) + "\" -set INT_DEPTH "
        + std::to_string(core.depth) + " -set SYMBOL_DELAY " + std::to_string(core.delay) + " -set INT_MODE \""
        + ModeGeneric(core.mode) + "\"";
    // genaddr drives the addresses of a RAM outside and has no symbols of its own.
    if (module == "conv_qzram")
        generics += " -set SYMBOL_WIDTH " + std::to_string(core.width);
    script = "read_verilog" + folders + files + "\n" + "chparam" + generics + " " + module + "\n" + "synth_ice40 -top "
        + module + " -json core.json\n" + "tee -q -o stat.txt stat\n";
    return true;
}

// Runs args in work as RunStep runs a simulator step, within limits, and keeps what it said in
// work/logName. True when it exits with 0; otherwise error tells which tool failed, with the end of
// what it said, or ran out of its limits.
bool RunTool(const std::vector<std::string>& args, const std::string& work, const std::string& logName,
             RunLimits& limits, std::string& error)
{
    const bool ran = RunStep(args, work, limits, error);
    std::error_code ignored;
    std::filesystem::rename(work + "/log", work + "/" + logName, ignored);
    return ran;
}

// Why nextpnr failed: a resource the core uses more of than the device has, or ports past the pins
// of the package (the die counts more I/O cells than a small package bonds out, so the placer is
// the first to know), else nothing more than the tool's own message.
std::string NoFit(const std::string& log, const std::vector<DeviceUse>& uses, const std::string& part)
{
    if (log.find("Unable to find a placement location for cell '") != std::string::npos
        && log.find("$sb_io'") != std::string::npos)
        return "the core's ports need more pins than the " + part
            + " has: choose a package with more pins (--package) or another device; ";
    for (const DeviceUse& use : uses) {
        if (use.used > use.available)
            return "the core does not fit the " + part + ": it needs " + std::to_string(use.used) + " " + use.resource
                + " and the device has " + std::to_string(use.available) + "; ";
    }
    return {};
}

bool ReadLog(const std::string& path, const std::string& what, std::string& text, std::string& error)
{
    if (ReadRegularFile(path, kMaxLogSize, text))
        return true;
    error = "cannot read " + what + " " + PrintableText(path);
    return false;
}

// nextpnr's command line for target.
std::vector<std::string> NextpnrArgs(const SynthesisTarget& target)
{
    char freq[32];
    std::snprintf(freq, sizeof freq, "%g", target.freqMHz);
    return {
        kNextpnr, "--" + target.device,  "--package", target.package, "--seed", std::to_string(target.seed), "--freq",
        freq,     "--timing-allow-fail", "--json",    "core.json"};
}

// Places and routes work/core.json with nextpnr and reads the logic cells, RAM blocks, Fmax and
// whether the target was met from its log. A core that needs more RAM blocks than the device has
// is an outcome that does not fit, with the blocks it needs; more of another resource is a failure
// naming it.
bool PlaceAndRoute(const std::string& work, const SynthesisTarget& target, RunLimits& limits, SynthesisOutcome& outcome,
                   std::string& error)
{
    const std::string logPath = work + "/nextpnr.log";
    std::string log;
    if (!RunTool(NextpnrArgs(target), work, "nextpnr.log", limits, error)) {
        ReadRegularFile(logPath, kMaxLogSize, log);
        const std::vector<DeviceUse> uses = Utilisation(log);
        for (const DeviceUse& use : uses) {
            if (use.resource == "ICESTORM_RAM" && use.used > use.available && limits.endSignal == 0) {
                outcome.fits = false;
                outcome.ramBlocks = use.used;
                outcome.ramBlocksAvailable = use.available;
                return true;
            }
        }
        error = NoFit(log, uses, outcome.shownPart) + error;
        return false;
    }
    if (!ReadLog(logPath, "nextpnr's log", log, error))
        return false;
    const std::vector<DeviceUse> uses = Utilisation(log);
    const auto missing = [&](const std::string& figure) {
        error = "nextpnr's log " + PrintableText(logPath) + " shows no " + figure;
        return false;
    };
    if (!UsedOf(uses, "ICESTORM_LC", outcome.luts))
        return missing("use of logic cells (ICESTORM_LC)");
    if (!UsedOf(uses, "ICESTORM_RAM", outcome.ramBlocks))
        return missing("use of RAM blocks (ICESTORM_RAM)");
    if (!FmaxFromLog(log, outcome.fmaxMHz) || !TimingMetFromLog(log, outcome.timingMet))
        return missing("maximum frequency for the clock");
    return true;
}

// The RAM blocks conv_qzram's memory needs at least: its bits over a block's, whatever shape the
// blocks take. yosys never splits one memory between blocks and flip-flops, and the device's
// flip-flops hold fewer bits than its blocks, so a memory past the blocks cannot fit at all.
std::int64_t LeastCoreRamBlocks(const std::string& module, const CoreSettings& core)
{
    return module == "conv_qzram" ? LeastRamBlocks(MemoryWords(core), core.width) : 0;
}

// Writes work/synthesis.log: a heading naming the synthesis, then each tool's log that is there
// under its command line, or why no tool ran.
void WriteSynthesisLog(const std::string& work, const SynthesisOutcome& outcome, const SynthesisTarget& target,
                       const std::string& noToolRan)
{
    char heading[256];
    std::snprintf(heading, sizeof heading, "synthesis of %s for the %s, target %g MHz, seed %d\n",
                  outcome.module.c_str(), outcome.shownPart.c_str(), target.freqMHz, target.seed);
    std::string text = heading;
    if (!noToolRan.empty())
        text += noToolRan + "\n";
    const std::vector<std::pair<std::string, std::vector<std::string>>> tools = {
        {"yosys.log", {kYosys, "-s", "synthesis.ys"}}, {"nextpnr.log", NextpnrArgs(target)}};
    for (const auto& [name, args] : tools) {
        std::string log;
        if (!ReadRegularFile(work + "/" + name, kMaxLogSize, log))
            continue;
        std::string command;
        for (const std::string& arg : args)
            command += (command.empty() ? "" : " ") + arg;
        text += "\n==== " + command + "\n\n" + log;
    }
    std::string ignored;
    WriteFile(work + "/synthesis.log", text, ignored);
}

} // namespace

bool CanSynthesize(std::string& error)
{
    if (!CheckTemporaryBase(error))
        return false;
    for (const char* tool : {kYosys, kNextpnr}) {
        if (FindOnPath(tool).empty()) {
            // Both programs come in the Debian packages of their names.
            error = std::string(tool) + " is not installed (it is not on PATH); synthesis needs it: install the "
                + "Debian package " + tool;
            return false;
        }
    }
    return true;
}

bool SynthesizeCore(const std::string& module, const CoreSettings& core, const std::vector<std::string>& sources,
                    const SynthesisTarget& target, const std::string& work, RunLimits& limits,
                    SynthesisOutcome& outcome, std::string& error)
{
    if (module != "conv_qzram" && module != "genaddr") {
        error = "there is no library core " + PrintableText(module) + " to synthesise";
        return false;
    }
    const Ice40Device* device = FindIce40Device(target.device);
    if (device == nullptr) {
        error = "there is no iCE40 device " + PrintableText(target.device) + " to synthesise for";
        return false;
    }
    // Both tools are looked for first: a missing one should not cost the other's minutes.
    if (!Validate(core, error) || !CanSynthesize(error))
        return false;
    SynthesisOutcome found;
    found.module = module;
    found.device = target.device;
    found.package = target.package;
    found.shownPart = ShownPart(target);
    found.targetMHz = target.freqMHz;
    found.seed = target.seed;
    found.ramBlocksAvailable = device->ramBlocks;
    if (const std::int64_t least = LeastCoreRamBlocks(module, core); least > device->ramBlocks) {
        found.fits = false;
        found.ramBlocks = least;
        WriteSynthesisLog(work, found, target,
                          "no tool ran: the core's memory needs at least " + std::to_string(least)
                              + " RAM blocks and the device has " + std::to_string(device->ramBlocks));
        outcome = found;
        return true;
    }
    std::string script;
    if (!YosysScript(module, core, sources, script, error) || !WriteFile(work + "/synthesis.ys", script, error)
        || !RunTool({kYosys, "-s", "synthesis.ys"}, work, "yosys.log", limits, error))
        return false;
    std::string stat;
    if (!ReadLog(work + "/stat.txt", "yosys's statistics", stat, error) || !FlipFlopsFromStat(stat, found.flipFlops)) {
        // A full file system cuts the statistics short without failing yosys.
        struct statvfs space {};
        if (::statvfs(work.c_str(), &space) == 0 && space.f_bavail == 0)
            error = "the file system of TMPDIR " + PrintableText(TemporaryBase()) + " is full";
        else if (error.empty())
            error = "yosys's statistics " + PrintableText(work + "/stat.txt") + " hold no count of cells";
        return false;
    }
    if (!PlaceAndRoute(work, target, limits, found, error))
        return false;
    WriteSynthesisLog(work, found, target, "");
    if (!found.fits)
        found.flipFlops = 0;
    outcome = found;
    return true;
}
