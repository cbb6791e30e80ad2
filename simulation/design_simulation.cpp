#include "simulation/design_simulation.h"

#include "design_files/design_files.h"
#include "design_files/library_module.h"
#include "host/path_split.h"
#include "interleaver/flag_groups.h"
#include "interleaver/interleaver_settings.h"
#include "interleaver/settings_mapping.h"
#include "model/interface_model.h"
#include "platform/printable_text.h"
#include "platform/regular_file.h"
#include "simulation/pair_simulation.h"
#include "simulation/simulator_run.h"
#include "simulation/testbench_writer.h"
#include "simulation/vector_file_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zorvex::core;

namespace {

// The testbench's record of a run: a line of a few values for each cycle of the largest design.
constexpr size_t kMaxRecordSize = size_t(1) << 30;

bool CoreOf(const InterleaverSettings& stored, CoreSettings& core, MemoryKind& memory, std::string& error)
{
    for (const FlagGroup& group : kFlagGroups) {
        const std::string problem = FlagGroupProblem(group, stored);
        if (!problem.empty()) {
            error = "the stored settings name no single algorithm, direction and memory to simulate: " + problem;
            return false;
        }
    }
    core.type = stored.CONVOLUTIONAL == 1 ? IntType::Convolutional
        : stored.BLOCK == 1               ? IntType::Block
                                          : IntType::BlockContinous;
    core.depth = stored.CHARACTERISTIC_I;
    core.delay = stored.CHARACTERISTIC_J;
    core.mode = stored.INTERLEAVER == 1 ? IntMode::Interleaver : IntMode::Deinterleaver;
    core.width = stored.SYMBOL_WIDTH;
    memory = stored.INTERNAL_DPRAM == 1 ? MemoryKind::Internal : MemoryKind::External;
    return Validate(core, error);
}

// The library sources the design needs, in the order they are compiled: the library files the
// module uses (the address generator both cores are built on), then the module itself; the copy
// beside the design if there is one, with the files beside it, else the installed ones. The files
// they include are not compiled on their own: the simulator finds them beside the sources.
bool LibrarySources(const std::string& module, const SplitPath& name, const std::string& selfPath,
                    std::vector<std::string>& sources, std::string& error)
{
    const std::string beside = name.directory + module + name.extension;
    const std::string source =
        IsRegularFile(beside) ? beside : FindLibraryModuleSource(module, name.extension, selfPath);
    if (source.empty()) {
        error = "the library module source " + module + name.extension
            + " is neither beside the design nor installed (ZORVEX_HDL_DIR, the hdl folder beside tarnwick, "
              "share/zorvex/hdl)";
        return false;
    }
    for (const std::string& companion : LibraryModuleCompanions(source)) {
        if (!IsIncludedLibraryFile(companion))
            sources.push_back(AbsolutePath(companion));
    }
    sources.push_back(AbsolutePath(source));
    return true;
}

// The design as its files describe it: the design file's name and language, the settings the
// wizard stored beside it, the core they make, the design's ports and the library module.
struct DesignUnderTest {
    std::string path;
    SplitPath name;
    bool vhdl = false;
    InterleaverSettings settings;
    CoreSettings core;
    MemoryKind memory = MemoryKind::Internal;
    std::vector<DesignPort> ports;
    std::string module;
};

// Reads the design at designPath and the retrieval information beside it.
bool ReadDesign(const std::string& designPath, DesignUnderTest& design, std::string& error)
{
    design.path = TrimDesignPath(designPath);
    design.name = SplitDesignPath(design.path);
    design.vhdl = design.name.extension == ".vhd";
    if (!design.vhdl && design.name.extension != ".v") {
        error = "only a .vhd or .v design file can be simulated, not " + PrintableText(design.path);
        return false;
    }
    if (!IsRegularFile(design.path)) {
        error = "the design file " + PrintableText(design.path) + " is not there to simulate";
        return false;
    }
    const std::string cnx = design.name.directory + design.name.baseName + ".cnx";
    std::string stored;
    if (!ReadRegularFile(cnx, kMaxRetrievalInfoSize, stored)) {
        error = "cannot read the design's retrieval information " + PrintableText(cnx);
        return false;
    }
    InterfaceModel model;
    std::istringstream in(stored);
    model.Read(in);
    LoadSettingsFromModel(design.settings, model);
    if (!CoreOf(design.settings, design.core, design.memory, error)) {
        error = PrintableText(cnx) + ": " + error;
        return false;
    }
    for (const InterfaceEntry& entry : model.ports.entries()) {
        const int width = FieldNumber(entry.width);
        design.ports.push_back({entry.name, entry.type == "OUTPUT", std::max(1, width), width >= 1});
    }
    design.module = LibraryModuleName(model);
    if (design.module.empty()) {
        error = PrintableText(cnx) + " names no library module";
        return false;
    }
    return true;
}

// Whether the simulator's programs are on PATH.
bool SimulatorInstalled(const DesignUnderTest& design, std::string& error)
{
    const std::vector<std::string> tools = design.vhdl ? std::vector<std::string>{"ghdl"}
                                                       : std::vector<std::string>{"iverilog", "vvp"};
    for (const std::string& tool : tools) {
        if (FindOnPath(tool).empty()) {
            error = "the simulator " + tool + " is not on PATH; install it to simulate " + PrintableText(design.path);
            return false;
        }
    }
    return true;
}

// Writes the design's testbench for plan into work and simulates it with the sources, leaving
// the recorded outputs in record.txt and the design's ports in waves.vcd. The stimulus is let go
// once it is in its file: at the largest settings it is a few hundred megabytes.
bool RunDesignTestbench(const DesignUnderTest& design, SimulationPlan& plan, const std::vector<std::string>& sources,
                        const std::string& work, std::string& error)
{
    const std::string& base = design.name.baseName;
    const std::string top = TestbenchName(base);
    const std::string testbench = work + "/" + top + (design.vhdl ? ".vhd" : ".v");
    const std::string text = design.vhdl
        ? VhdlTestbench(plan, base, "stimulus.txt", "record.txt")
        : VerilogTestbench(plan, base, "stimulus.txt", "record.txt", "waves.vcd");
    if (!WriteFile(work + "/stimulus.txt", plan.stimulus, error) || !WriteFile(testbench, text, error))
        return false;
    std::string().swap(plan.stimulus);
    if (!design.vhdl) {
        std::vector<std::string> compile{"iverilog", "-g2001", "-o", "testbench.vvp", "-s", top};
        const std::vector<std::string> includes = IncludeFolderOptions(sources);
        compile.insert(compile.end(), includes.begin(), includes.end());
        compile.insert(compile.end(), sources.begin(), sources.end());
        compile.push_back(testbench);
        return RunStep(compile, work, error) && RunStep({"vvp", "-n", "testbench.vvp"}, work, error);
    }
    // The wave options keep the dump to the design's ports, the testbench's own signals.
    std::string waves = "$ version 1.1\n";
    for (const DesignPort& port : plan.ports)
        waves += "/" + top + "/" + port.name + "\n";
    std::vector<std::string> analyse{"ghdl", "-a", "--std=93"};
    analyse.insert(analyse.end(), sources.begin(), sources.end());
    analyse.push_back(testbench);
    return WriteFile(work + "/waves.opt", waves, error) && RunStep(analyse, work, error)
        && RunStep({"ghdl", "-e", "--std=93", top}, work, error)
        && RunStep({"ghdl", "-r", "--std=93", top, "--vcd=waves.vcd", "--read-wave-opt=waves.opt"}, work, error);
}

// The simulation's waveform beside the design, replacing the one there whole; its path in vcdPath.
bool InstallWaveform(const std::string& waves, const DesignUnderTest& design, std::string& vcdPath, std::string& error)
{
    const std::string vcd = design.name.directory + design.name.baseName + ".vcd";
    std::error_code failed;
    const std::string staged = vcd + ".tmp-" + std::to_string(::getpid());
    std::filesystem::copy_file(waves, staged, std::filesystem::copy_options::overwrite_existing, failed);
    if (!failed)
        std::filesystem::rename(staged, vcd, failed);
    if (failed) {
        std::filesystem::remove(staged, failed);
        error = "cannot write the waveform " + PrintableText(vcd);
        return false;
    }
    vcdPath = AbsolutePath(vcd);
    return true;
}

// The pair of the design's core, from the design's library sources (sources without the design
// itself) and the cores' testbench.
bool SimulateDesignPair(const DesignUnderTest& design, std::vector<std::string> sources, const std::string& selfPath,
                        PairOutcome& pair, std::string& error)
{
    for (const std::string& unit : PairTestbenchUnits()) {
        const bool compiled = std::any_of(sources.begin(), sources.end(), [&](const std::string& path) {
            return SplitDesignPath(path).baseName == unit;
        });
        if (compiled)
            continue;
        const std::string source = FindLibraryModuleSource(unit, design.name.extension, selfPath);
        if (source.empty()) {
            error = "the library file " + unit + design.name.extension + " for the pair's simulation is not installed";
            return false;
        }
        sources.push_back(AbsolutePath(source));
    }
    if (!SimulatePair(design.core, design.memory, design.vhdl, sources, design.settings.latencyCycles(), pair, error)) {
        error = "the interleaver -> deinterleaver pair: " + error;
        return false;
    }
    return true;
}

} // namespace

bool SimulateDesign(const std::string& designPath, const std::string& selfPath, SimulationOutcome& outcome,
                    std::string& error)
{
    outcome = SimulationOutcome();
    DesignUnderTest design;
    if (!ReadDesign(designPath, design, error))
        return false;
    VectorFile vectors;
    SimulationPlan plan;
    const std::string vec = "./" + design.name.baseName + ".vec";
    if (!LoadVectorFile(vec, vectors, error))
        return false;
    if (!PlanSimulation(vectors, design.ports, plan, error)) {
        error = PrintableText(vec) + ": " + error;
        return false;
    }
    std::vector<std::string> sources;
    if (!SimulatorInstalled(design, error) || !LibrarySources(design.module, design.name, selfPath, sources, error))
        return false;
    sources.push_back(AbsolutePath(design.path));

    TemporaryFolder folder;
    std::string recorded;
    if (!folder.Create(error) || !RunDesignTestbench(design, plan, sources, folder.path(), error))
        return false;
    if (!ReadRegularFile(folder.path() + "/record.txt", kMaxRecordSize, recorded)) {
        error = "the testbench left no record of the outputs";
        return false;
    }
    if (!CheckRecordedOutputs(recorded, plan, design.core, design.memory, outcome, error))
        return false;
    outcome.simulator = design.vhdl ? "ghdl" : "iverilog";
    if (!InstallWaveform(folder.path() + "/waves.vcd", design, outcome.vcdPath, error))
        return false;
    sources.pop_back();
    PairOutcome pair;
    if (!SimulateDesignPair(design, sources, selfPath, pair, error))
        return false;
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
        text += "  waveform: " + PrintableText(outcome.vcdPath) + "\n";
    if (outcome.pair) {
        const PairOutcome& pair = *outcome.pair;
        text += "  interleaver -> deinterleaver pair, " + std::to_string(pair.cycles) + " cycles: latency "
            + (pair.measuredLatency ? std::to_string(*pair.measuredLatency) : std::string("none")) + " cycles measured, "
            + std::to_string(pair.expectedLatency) + " expected, the memory page shows "
            + std::to_string(pair.pageLatency) + "\n";
        text += "  " + std::to_string(pair.symbolsChecked) + " symbols through the pair checked, "
            + std::to_string(pair.mismatches) + " not returned unchanged\n";
    }
    return text;
}
