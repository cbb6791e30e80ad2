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

constexpr const char* kDevice = "iCE40 HX8K (ct256)";
constexpr const char* kYosys = "yosys";
constexpr const char* kNextpnr = "nextpnr-ice40";
// The HX8K's block RAMs: 32 of 4096 bits each (256 x 16 up to 2048 x 2).
constexpr std::int64_t kRamBlocks = 32;
constexpr std::int64_t kRamBlockBits = 4096;
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

// Why nextpnr failed: a resource the core uses more of than the device has, else nothing more
// than the tool's own message.
std::string NoFit(const std::vector<DeviceUse>& uses)
{
    for (const DeviceUse& use : uses) {
        if (use.used > use.available)
            return "the core does not fit the " + std::string(kDevice) + ": it needs " + std::to_string(use.used) + " "
                + use.resource + " and the device has " + std::to_string(use.available) + "; ";
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

// Places and routes work/core.json with nextpnr and reads the logic cells, RAM blocks and Fmax
// from its log. A core that needs more RAM blocks than the device has is an outcome that does not
// fit, with the blocks it needs; more of another resource is a failure naming it.
bool PlaceAndRoute(const std::string& work, RunLimits& limits, SynthesisOutcome& outcome, std::string& error)
{
    const std::vector<std::string> args{kNextpnr, "--hx8k", "--package",           "ct256",  "--seed",   "1",
                                        "--freq", "12",     "--timing-allow-fail", "--json", "core.json"};
    const std::string logPath = work + "/nextpnr.log";
    std::string log;
    if (!RunTool(args, work, "nextpnr.log", limits, error)) {
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
        error = NoFit(uses) + error;
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
    if (!FmaxFromLog(log, outcome.fmaxMHz))
        return missing("maximum frequency for the clock");
    return true;
}

// The RAM blocks conv_qzram's memory needs at least: its bits over a block's, whatever shape the
// blocks take. yosys never splits one memory between blocks and flip-flops, and the device's
// flip-flops hold fewer bits than its blocks, so a memory past the blocks cannot fit at all.
std::int64_t LeastRamBlocks(const std::string& module, const CoreSettings& core)
{
    if (module != "conv_qzram")
        return 0;
    const std::int64_t bits = MemoryWords(core) * core.width;
    return (bits + kRamBlockBits - 1) / kRamBlockBits;
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
                    const std::string& work, RunLimits& limits, SynthesisOutcome& outcome, std::string& error)
{
    if (module != "conv_qzram" && module != "genaddr") {
        error = "there is no library core " + PrintableText(module) + " to synthesise";
        return false;
    }
    // Both tools are looked for first: a missing one should not cost the other's minutes.
    if (!Validate(core, error) || !CanSynthesize(error))
        return false;
    SynthesisOutcome found;
    found.module = module;
    found.device = kDevice;
    found.ramBlocksAvailable = kRamBlocks;
    if (const std::int64_t least = LeastRamBlocks(module, core); least > kRamBlocks) {
        found.fits = false;
        found.ramBlocks = least;
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
    if (!PlaceAndRoute(work, limits, found, error))
        return false;
    if (!found.fits)
        found.flipFlops = 0;
    outcome = found;
    return true;
}
