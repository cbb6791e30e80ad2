#include "simulation/design_simulation.h"

#include "design/library_module.h"
#include "design_files/design_files.h"
#include "model/interface_model.h"
#include "platform/path_lookup.h"
#include "platform/path_split.h"
#include "platform/printable_text.h"
#include "platform/regular_file.h"
#include "platform/run_step.h"
#include "platform/temporary_folder.h"
#include "platform/write_file.h"
#include "settings/interleaver_settings.h"
#include "simulation/background_run.h"
#include "simulation/pair_simulation.h"
#include "simulation/rerun_script.h"
#include "simulation/shown_sizes.h"
#include "simulation/simulator_run.h"
#include "simulation/testbench_writer.h"
#include "simulation/vector_file_reader.h"
#include "simulation/waveform_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zorvex::core;

namespace {

// The testbench's record of a run: a line of a few values for each cycle of the largest design.
constexpr size_t kMaxRecordSize = size_t(1) << 30;

// The library files the design needs, in the order they are compiled: the library files the
// module uses (the address generator both cores are built on, and the files they include), then
// the module itself. For a design simulated as it is installed, the copy beside the design if
// there is one, with the files beside it; else, and for a design made anew, the installed ones.
bool LibrarySources(const std::string& module, const SplitPath& name, bool besideFirst, const std::string& selfPath,
                    std::vector<std::string>& sources, std::string& error)
{
    const std::string beside = name.directory + module + name.extension;
    const std::string source =
        besideFirst && IsRegularFile(beside) ? beside : FindLibraryModuleSource(module, name.extension, selfPath);
    if (source.empty()) {
        error = "the library module source " + module + name.extension
            + " is neither beside the design nor installed (ZORVEX_HDL_DIR, the hdl folder beside tarnwick, "
              "share/zorvex/hdl)";
        return false;
    }
    for (const std::string& companion : LibraryModuleCompanions(source))
        sources.push_back(AbsolutePath(companion));
    sources.push_back(AbsolutePath(source));
    return true;
}

// The design as its files describe it: the design file's name and language, its text when it is
// made anew, the settings the wizard stored, the core they make, the design's ports and the
// library module.
struct DesignUnderTest {
    std::string path;
    SplitPath name;
    bool vhdl = false;
    Simulator simulator = Simulator::Default; // the one that runs: never Default
    bool simulatorNamed = false; // the run asked for it
    std::string text;
    InterleaverSettings settings;
    CoreSettings core;
    MemoryKind memory = MemoryKind::Internal;
    std::vector<DesignPort> ports;
    std::string module;
    SimulationProgress progress;
    bool madeAnew = false; // from its retrieval information, its library files installed with it
    TestbenchKeeper keepTestbench;
};

// The design's file as the run makes it from model, when it is simulated before it is installed.
bool MakeDesignText(const InterfaceModel& model, DesignUnderTest& design, std::string& error)
{
    std::string reason;
    design.text = design.vhdl ? VhdlDesignFile(model, design.name.baseName, reason)
                              : VerilogDesignFile(model, design.name.baseName, reason);
    if (design.text.empty())
        error = "the design file cannot be made: " + reason;
    return !design.text.empty();
}

// Reads what is to be simulated: the design's name and language, and its retrieval information.
bool ReadDesign(const DesignToSimulate& given, const TestbenchKeeper& keepTestbench, DesignUnderTest& design,
                std::string& error)
{
    design.path = given.design.path();
    design.name = given.design.name();
    design.vhdl = design.name.extension == ".vhd";
    if (!CanSimulate(given.design, given.simulator, error))
        return false;
    design.simulatorNamed = given.simulator != Simulator::Default;
    design.simulator = given.simulator != Simulator::Default ? given.simulator
        : design.vhdl                                        ? Simulator::Ghdl
                                                             : Simulator::Iverilog;
    if (!given.madeFromRetrievalInfo && !IsRegularFile(design.path)) {
        error = "the design file " + PrintableText(design.path) + " is not there to simulate";
        return false;
    }
    const DesignContents& contents = given.contents;
    if (!contents.Core(design.core, design.memory, error))
        return false;
    design.settings = contents.settings;
    for (const InterfaceEntry& entry : contents.model.ports.entries()) {
        const int width = FieldNumber(entry.width);
        design.ports.push_back({entry.name, entry.type == "OUTPUT", std::max(1, width), width >= 1});
    }
    design.module = contents.module;
    design.progress = given.onProgress;
    design.madeAnew = given.madeFromRetrievalInfo;
    if (given.keepTestbench)
        design.keepTestbench = keepTestbench;
    return !given.madeFromRetrievalInfo || MakeDesignText(contents.model, design, error);
}

// Whether folder's file system has room for bytes more; the reason names what needs it.
bool HasRoom(const std::string& folder, std::uint64_t bytes, const std::string& what, std::string& error)
{
    struct statvfs space {};
    if (::statvfs(folder.c_str(), &space) != 0)
        return true;
    const std::uint64_t room = std::uint64_t(space.f_bavail) * space.f_frsize;
    if (room >= bytes)
        return true;
    std::string needText, roomText;
    ShowShortage(bytes, room, needText, roomText);
    error = "the simulation needs about " + needText + " for " + what + " in " + PrintableText(folder) + ", which has "
        + roomText + " free";
    return false;
}

// Checks that the temporary folder can hold the stimulus, the record and the waveform, and the
// design's folder the waveform (and a kept testbench's stimulus and expected outputs), by a
// generous estimate from the plan: per edge, a record line and a few changes of every port.
bool CheckRoom(const DesignUnderTest& design, const SimulationPlan& plan, const std::string& work, std::string& error)
{
    std::uint64_t bitsPerEdge = 0;
    for (const DesignPort& port : plan.ports)
        bitsPerEdge += std::uint64_t(port.width) + 8;
    const std::uint64_t perEdge = 2 * bitsPerEdge + 32;
    const std::uint64_t waveform = (plan.edges.size() + 1) * perEdge;
    const std::uint64_t record = (plan.edges.size() + 1) * bitsPerEdge;
    const std::string folder = design.name.directory.empty() ? std::string(".") : design.name.directory;
    const std::uint64_t stimulus = std::uint64_t(plan.stimulusBytes);
    const bool kept = bool(design.keepTestbench);
    return HasRoom(work, stimulus + 2 * record + waveform, "its stimulus, record and waveform", error)
        && HasRoom(folder, waveform + (kept ? stimulus + record : 0),
                   kept ? "the waveform and the testbench" : "the waveform", error);
}

// Puts the design file and the library files into work/src under names the simulators cannot
// misread, whatever the design's folder is called; compiled receives the files to compile in
// their order (the included ones are found through the include folder src).
bool StageSources(const DesignUnderTest& design, const std::vector<std::string>& library, const std::string& work,
                  std::vector<std::string>& compiled, std::string& error)
{
    std::vector<std::string> linked;
    if (!LinkSources(library, work, linked, error))
        return false;
    for (size_t k = 0; k < library.size(); ++k) {
        if (!IsIncludedLibraryFile(library[k]))
            compiled.push_back(linked[k]);
    }
    const std::string designFile = "src/design" + design.name.extension;
    if (design.text.empty()) {
        if (::symlink(AbsolutePath(design.path).c_str(), (work + "/" + designFile).c_str()) != 0) {
            error = "cannot link the design file into the simulation's folder: " + std::string(std::strerror(errno));
            return false;
        }
    } else if (!WriteFile(work + "/" + designFile, design.text, error)) {
        return false;
    }
    compiled.push_back(designFile);
    return true;
}

// Whether every program the simulator runs is on PATH; missing receives the first one that is not.
bool SimulatorInstalled(Simulator simulator, std::string& missing)
{
    for (const std::string& tool : SimulatorPrograms(simulator)) {
        if (FindOnPath(tool).empty()) {
            missing = tool;
            return false;
        }
    }
    return true;
}

// Writes the design's testbench for plan into work and simulates it with the sources (names in
// work), leaving the recorded outputs and the design's ports under the testbench's names. The
// stimulus is written line by line from vectors, never held: at the bound it is gigabytes.
bool RunDesignTestbench(const DesignUnderTest& design, const SimulationPlan& plan, const VectorFile& vectors,
                        const std::vector<std::string>& sources, const std::string& work, RunLimits& limits,
                        std::string& error)
{
    const std::string& base = design.name.baseName;
    const std::string top = TestbenchName(base);
    const TestbenchFiles files = TestbenchFilesOf(base, design.name.extension);
    const std::string& testbench = files.testbench;
    const std::string text = design.vhdl ? VhdlTestbench(plan, base, files.stimulus, files.record)
                                         : VerilogTestbench(plan, base, files.stimulus, files.record, files.waveform);
    std::ofstream stimulus(work + "/" + files.stimulus, std::ios::binary);
    WriteStimulus(plan, vectors, stimulus);
    stimulus.close();
    if (!stimulus) {
        error = "cannot write the stimulus into the simulation's folder";
        return false;
    }
    if (!WriteFile(work + "/" + testbench, text, error))
        return false;
    RecordWatch watch(limits, work + "/" + files.record, std::int64_t(plan.edges.size()), design.progress);
    if (!design.vhdl) {
        std::vector<std::string> compiled = sources;
        compiled.push_back(testbench);
        return RunVerilogSimulation(design.simulator, compiled, top, {}, true, work, limits, error);
    }
    // The wave options keep the dump to the design's ports, the testbench's own signals.
    std::string waves = "$ version 1.1\n";
    for (const DesignPort& port : plan.ports)
        waves += "/" + top + "/" + port.name + "\n";
    std::vector<std::string> analyse{"ghdl", "-a", "--std=93"};
    analyse.insert(analyse.end(), sources.begin(), sources.end());
    analyse.push_back(testbench);
    const std::vector<std::string> backEnd = GhdlEnvironment(std::int64_t(plan.edges.size()));
    return WriteFile(work + "/waves.opt", waves, error) && RunStep(analyse, work, limits, error, backEnd)
        && RunStep({"ghdl", "-e", "--std=93", top}, work, limits, error, backEnd)
        && RunStep({"ghdl", "-r", "--std=93", top, "--vcd=" + files.waveform, "--read-wave-opt=waves.opt"}, work,
                   limits, error, backEnd);
}

// A pair this long runs with Verilator when it is installed and the run named no simulator: its
// build's 10 s or so are won back many times over (I = 40, J = 500: 860,014 edges in about 2 s
// against well over a minute in ghdl or iverilog).
constexpr std::int64_t kVerilatorPairFromEdges = 200000;

// The pair of the design's core, from the design's library files and the cores' testbench. A long
// pair goes to Verilator, a .vhd design's on the Verilog twins of its library files: the cores are
// the same in both languages, cycle for cycle.
bool SimulateDesignPair(const DesignUnderTest& design, std::vector<std::string> sources, const std::string& selfPath,
                        RunLimits& limits, PairOutcome& pair, std::string& error)
{
    Simulator simulator = design.simulator;
    SplitPath name = design.name;
    std::string missing;
    if (!design.simulatorNamed && simulator != Simulator::Verilator
        && PairCycles(design.core, design.memory) >= kVerilatorPairFromEdges
        && SimulatorInstalled(Simulator::Verilator, missing)) {
        simulator = Simulator::Verilator;
        if (name.extension != ".v") {
            name.extension = ".v";
            sources.clear();
            if (!LibrarySources(design.module, name, false, selfPath, sources, error))
                return false;
        }
    }
    for (const std::string& unit : LibraryTestbenchUnits(name.extension)) {
        const bool present = std::any_of(sources.begin(), sources.end(), [&](const std::string& path) {
            return SplitDesignPath(path).baseName == unit;
        });
        if (present)
            continue;
        const std::string source = FindLibraryModuleSource(unit, name.extension, selfPath);
        if (source.empty()) {
            error = "the library file " + unit + name.extension + " for the pair's simulation is not installed";
            return false;
        }
        sources.push_back(AbsolutePath(source));
    }
    if (!SimulatePair(design.core, design.memory, simulator, sources, design.settings.latencyCycles(), limits, pair,
                      error, design.progress)) {
        error = "the interleaver -> deinterleaver pair: " + error;
        return false;
    }
    pair.simulator = SimulatorName(simulator);
    return true;
}

// The pair of the design's core as work for a BackgroundRun, its outcome into pair.
BackgroundWork PairWork(DesignUnderTest design, std::vector<std::string> library, std::string selfPath,
                        PairOutcome& pair)
{
    return [=, &pair](RunLimits& limits, const SimulationProgress& progress, std::string& error) mutable {
        design.progress = progress;
        return SimulateDesignPair(design, library, selfPath, limits, pair, error);
    };
}

// The view of a run's waveform: the design's ports in its order, the edges of the first input and
// the first output, and a window of some thirty cycles that starts a few before the first output
// (before the first input when nothing came out).
WaveformView ViewOfRun(const SimulationPlan& plan, const SimulationOutcome& outcome)
{
    constexpr std::int64_t kCyclesBefore = 8;
    constexpr std::int64_t kCyclesAfter = 24;
    WaveformView view;
    for (const DesignPort& port : plan.ports)
        view.ports.push_back(port.name);
    // The first output's cycle follows the edge that gave it and may lie past the last edge.
    const auto timeOf = [&](std::int64_t cycle) {
        return cycle < std::int64_t(plan.edgeTimes.size()) ? plan.edgeTimes[size_t(cycle)] : plan.stop;
    };
    if (outcome.firstInputCycle)
        view.firstInput = timeOf(*outcome.firstInputCycle);
    if (outcome.firstOutputCycle)
        view.firstOutput = timeOf(*outcome.firstOutputCycle);
    const std::optional<std::int64_t> centre =
        outcome.firstOutputCycle ? outcome.firstOutputCycle : outcome.firstInputCycle;
    if (centre) {
        view.windowStart = *centre >= kCyclesBefore ? timeOf(*centre - kCyclesBefore) : 0;
        view.windowEnd = timeOf(*centre + kCyclesAfter);
    }
    return view;
}

// Writes the outputs the model expects beside the testbench in work and hands the testbench's
// files and the script that reruns them to the design's keeper, if it has one.
bool KeepTestbench(const DesignUnderTest& design, const SimulationPlan& plan, const std::vector<std::string>& library,
                   const std::string& work, std::string& error)
{
    if (!design.keepTestbench)
        return true;
    const std::string& base = design.name.baseName;
    const TestbenchFiles files = TestbenchFilesOf(base, design.name.extension);
    const std::string expected = ExpectedOutputsName(base);
    std::ofstream out(work + "/" + expected, std::ios::binary);
    if (!WriteExpectedOutputs(plan, design.core, design.memory, out, error))
        return false;
    out.close();
    if (!out) {
        error = "cannot write the expected outputs into the simulation's folder";
        return false;
    }
    KeptTestbench kept;
    std::vector<std::string> sources;
    for (const std::string& source : library) {
        const std::string name = std::filesystem::path(source).filename().string();
        const std::string beside = design.name.directory + name;
        // A design made anew gets its library files beside it with its other files; one simulated
        // as it is installed gets copies of the library files it was simulated with where they
        // are not beside it already, so that the script compiles what the run compiled.
        if (!design.madeAnew && !(IsRegularFile(beside) && AbsolutePath(beside) == source))
            kept.copies.emplace_back(source, beside);
        sources.push_back(name);
    }
    sources.push_back(base + design.name.extension);
    for (const std::string& name : {files.testbench, files.stimulus, expected})
        kept.copies.emplace_back(work + "/" + name, design.name.directory + name);
    kept.scriptPath = design.name.directory + RerunScriptName(base);
    kept.script = RerunScript(plan, base, design.name.extension, design.simulator, sources);
    return design.keepTestbench(kept, error);
}

// Simulates the design in a temporary folder of its own, removed before it returns: the testbench,
// the check against the model, and the waveform handed to keepWaveform once it is known whole.
bool SimulateDesignFile(DesignUnderTest& design, const SimulationPlan& plan, const VectorFile& vectors,
                        const std::vector<std::string>& library, RunLimits& limits, const WaveformKeeper& keepWaveform,
                        SimulationOutcome& outcome, std::string& error)
{
    TemporaryFolder folder;
    std::vector<std::string> compiled;
    if (!folder.Create(error) || !CheckRoom(design, plan, folder.path(), error)
        || !StageSources(design, library, folder.path(), compiled, error)
        || !RunDesignTestbench(design, plan, vectors, compiled, folder.path(), limits, error))
        return false;
    std::string recorded;
    const TestbenchFiles files = TestbenchFilesOf(design.name.baseName, design.name.extension);
    if (!ReadRegularFile(folder.path() + "/" + files.record, kMaxRecordSize, recorded)) {
        error = "the testbench left no record of the outputs";
        return false;
    }
    if (!CheckRecordedOutputs(recorded, plan, design.core, design.memory, outcome, error))
        return false;
    std::string().swap(recorded);
    const std::string waves = folder.path() + "/" + files.waveform;
    return WaveformIsWhole(waves, plan.stop, error) && keepWaveform(waves, ViewOfRun(plan, outcome), error)
        && KeepTestbench(design, plan, library, folder.path(), error);
}

} // namespace

bool CanSimulate(const Design& given, Simulator simulator, std::string& error)
{
    const std::string& design = given.path();
    const SplitPath& name = given.name();
    if (name.extension != ".vhd" && name.extension != ".v") {
        error = "only a .vhd or .v design file can be simulated, not " + PrintableText(design);
        return false;
    }
    const bool vhdl = name.extension == ".vhd";
    if (simulator == Simulator::Default)
        simulator = vhdl ? Simulator::Ghdl : Simulator::Iverilog;
    if (vhdl != (simulator == Simulator::Ghdl)) {
        error = "the simulator " + SimulatorName(simulator) + " reads " + (vhdl ? "Verilog" : "VHDL") + " only; a "
            + name.extension + " design file is simulated with " + (vhdl ? "ghdl" : "iverilog or verilator") + ", not "
            + PrintableText(design);
        return false;
    }
    std::string missing;
    if (!SimulatorInstalled(simulator, missing)) {
        const std::string package = SimulatorPackage(missing);
        error = (missing == "make" ? std::string("make, which verilator's build runs,") : "the simulator " + missing)
            + " is not on PATH; install the Debian package " + package + " to simulate " + PrintableText(design);
        return false;
    }
    return CheckTemporaryBase(error);
}

bool SimulateDesign(const DesignToSimulate& given, const std::string& selfPath, RunLimits& limits,
                    const WaveformKeeper& keepWaveform, const TestbenchKeeper& keepTestbench,
                    SimulationOutcome& outcome, std::string& error)
{
    outcome = SimulationOutcome();
    DesignUnderTest design;
    if (!ReadDesign(given, keepTestbench, design, error))
        return false;
    VectorFile vectors;
    SimulationPlan plan;
    if (!LoadVectorFile(given.vectorFile, vectors, error))
        return false;
    if (!PlanSimulation(vectors, design.ports, plan, error)) {
        error = PrintableText(given.vectorFile) + ": " + error;
        return false;
    }
    const auto phase = [&](const char* name) {
        if (given.onPhase)
            given.onPhase(name);
    };
    std::vector<std::string> library;
    if (!LibrarySources(design.module, design.name, !given.madeFromRetrievalInfo, selfPath, library, error))
        return false;
    // The pair needs nothing of the design's simulation, so it runs beside it; its progress is
    // shown once the design's is done.
    PairOutcome pair;
    BackgroundRun pairRun(limits, PairWork(design, library, selfPath, pair));
    phase("design simulation");
    if (!SimulateDesignFile(design, plan, vectors, library, limits, keepWaveform, outcome, error))
        return false;
    outcome.simulator = SimulatorName(design.simulator);
    phase("interleaver -> deinterleaver pair");
    if (!pairRun.Finish(limits, design.progress, error)) {
        if (limits.endSignal != 0)
            error = "the interleaver -> deinterleaver pair was " + error;
        return false;
    }
    outcome.pair = pair;
    return true;
}

std::string DescribeSimulation(const SimulationOutcome& outcome)
{
    const auto cycle = [](const std::optional<std::int64_t>& value) {
        return value ? std::to_string(*value) : std::string("none");
    };
    std::string text = "simulation with " + outcome.simulator + ": " + std::to_string(outcome.cycles) + " cycles, "
        + std::to_string(outcome.symbolsIn) + " symbols in, " + std::to_string(outcome.symbolsOut)
        + " symbols out, first input in cycle " + cycle(outcome.firstInputCycle) + ", first output in cycle "
        + cycle(outcome.firstOutputCycle) + "\n";
    text += "  " + std::to_string(outcome.checkedValues) + " output values checked against the reference model, "
        + std::to_string(outcome.mismatches) + (outcome.mismatches == 1 ? " mismatch\n" : " mismatches\n");
    if (outcome.firstMismatch) {
        const SimulationMismatch& m = *outcome.firstMismatch;
        text += "  first mismatch in cycle " + std::to_string(m.cycle) + ": " + m.port + " is " + m.got
            + ", the model expects " + m.expected + "\n";
    }
    if (!outcome.vcdPath.empty())
        text += "  waveform: " + PrintableText(outcome.vcdPath) + " (" + ShownSize(outcome.vcdBytes) + ")\n";
    if (outcome.pair) {
        const PairOutcome& pair = *outcome.pair;
        const std::string with = pair.simulator == outcome.simulator ? std::string() : " with " + pair.simulator;
        text += "  interleaver -> deinterleaver pair" + with + ", " + std::to_string(pair.cycles) + " cycles: latency "
            + (pair.measuredLatency ? std::to_string(*pair.measuredLatency) : std::string("none"))
            + " cycles measured, " + std::to_string(pair.expectedLatency) + " expected, the memory page shows "
            + std::to_string(pair.pageLatency) + "\n";
        text += "  " + std::to_string(pair.symbolsChecked) + " symbols through the pair checked, "
            + std::to_string(pair.mismatches) + " not returned unchanged\n";
    }
    return text;
}
