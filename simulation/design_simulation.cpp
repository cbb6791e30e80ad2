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
    const std::string source = IsRegularFile(beside) ? beside : FindLibraryModuleSource(module, name.extension, selfPath);
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

} // namespace

bool SimulateDesign(const std::string& designPath, const std::string& selfPath, SimulationOutcome& outcome,
                    std::string& error)
{
    outcome = SimulationOutcome();
    const std::string design = TrimDesignPath(designPath);
    const SplitPath name = SplitDesignPath(design);
    const bool vhdl = name.extension == ".vhd";
    if (!vhdl && name.extension != ".v") {
        error = "only a .vhd or .v design file can be simulated, not " + PrintableText(design);
        return false;
    }
    outcome.simulator = vhdl ? "ghdl" : "iverilog";
    if (!IsRegularFile(design)) {
        error = "the design file " + PrintableText(design) + " is not there to simulate";
        return false;
    }
    const std::string cnx = name.directory + name.baseName + ".cnx";
    std::string stored;
    InterleaverSettings settings;
    if (!ReadRegularFile(cnx, kMaxRetrievalInfoSize, stored)) {
        error = "cannot read the design's retrieval information " + PrintableText(cnx);
        return false;
    }
    InterfaceModel model;
    std::istringstream in(stored);
    model.Read(in);
    LoadSettingsFromModel(settings, model);
    CoreSettings core;
    MemoryKind memory = MemoryKind::Internal;
    if (!CoreOf(settings, core, memory, error)) {
        error = PrintableText(cnx) + ": " + error;
        return false;
    }
    std::vector<DesignPort> ports;
    for (const InterfaceEntry& entry : model.ports.entries())
        ports.push_back({entry.name, entry.type == "OUTPUT", std::max(1, FieldNumber(entry.width)), FieldNumber(entry.width) >= 1});
    const std::string module = LibraryModuleName(model);
    if (module.empty()) {
        error = PrintableText(cnx) + " names no library module";
        return false;
    }

    VectorFile vectors;
    const std::string vec = "./" + name.baseName + ".vec";
    if (!LoadVectorFile(vec, vectors, error))
        return false;
    SimulationPlan plan;
    if (!PlanSimulation(vectors, ports, plan, error)) {
        error = PrintableText(vec) + ": " + error;
        return false;
    }

    const std::vector<std::string> tools = vhdl ? std::vector<std::string>{"ghdl"}
                                                : std::vector<std::string>{"iverilog", "vvp"};
    for (const std::string& tool : tools) {
        if (FindOnPath(tool).empty()) {
            error = "the simulator " + tool + " is not on PATH; install it to simulate " + PrintableText(design);
            return false;
        }
    }
    std::vector<std::string> sources;
    if (!LibrarySources(module, name, selfPath, sources, error))
        return false;
    sources.push_back(AbsolutePath(design));

    TemporaryFolder folder;
    if (!folder.Create(error))
        return false;
    const std::string& work = folder.path();
    const std::string top = TestbenchName(name.baseName);
    const std::string testbench = work + "/" + top + (vhdl ? ".vhd" : ".v");
    if (!WriteFile(work + "/stimulus.txt", plan.stimulus, error)
        || !WriteFile(testbench, vhdl ? VhdlTestbench(plan, name.baseName, "stimulus.txt", "record.txt")
                                      : VerilogTestbench(plan, name.baseName, "stimulus.txt", "record.txt", "waves.vcd"),
                      error))
        return false;
    // The stimulus is in its file now; at the largest settings it is a few hundred megabytes.
    std::string().swap(plan.stimulus);
    if (vhdl) {
        // The wave options keep the dump to the design's ports, the testbench's own signals.
        std::string waves = "$ version 1.1\n";
        for (const DesignPort& port : plan.ports)
            waves += "/" + top + "/" + port.name + "\n";
        if (!WriteFile(work + "/waves.opt", waves, error))
            return false;
        std::vector<std::string> analyse{"ghdl", "-a", "--std=93"};
        analyse.insert(analyse.end(), sources.begin(), sources.end());
        analyse.push_back(testbench);
        if (!RunStep(analyse, work, error) || !RunStep({"ghdl", "-e", "--std=93", top}, work, error)
            || !RunStep({"ghdl", "-r", "--std=93", top, "--vcd=waves.vcd", "--read-wave-opt=waves.opt"}, work, error))
            return false;
    } else {
        std::vector<std::string> compile{"iverilog", "-g2001", "-o", "testbench.vvp", "-s", top};
        const std::vector<std::string> includes = IncludeFolderOptions(sources);
        compile.insert(compile.end(), includes.begin(), includes.end());
        compile.insert(compile.end(), sources.begin(), sources.end());
        compile.push_back(testbench);
        if (!RunStep(compile, work, error) || !RunStep({"vvp", "-n", "testbench.vvp"}, work, error))
            return false;
    }

    std::string recorded;
    if (!ReadRegularFile(work + "/record.txt", kMaxRecordSize, recorded)) {
        error = "the testbench left no record of the outputs";
        return false;
    }
    const std::string simulator = outcome.simulator;
    if (!CheckRecordedOutputs(recorded, plan, core, memory, outcome, error))
        return false;
    outcome.simulator = simulator;
    // The waveform beside the design, replaced whole.
    const std::string vcd = name.directory + name.baseName + ".vcd";
    std::error_code failed;
    const std::string staged = vcd + ".tmp-" + std::to_string(::getpid());
    if (!failed)
        std::filesystem::copy_file(work + "/waves.vcd", staged, std::filesystem::copy_options::overwrite_existing,
                                   failed);
    if (!failed)
        std::filesystem::rename(staged, vcd, failed);
    if (failed) {
        std::filesystem::remove(staged, failed);
        error = "cannot write the waveform " + PrintableText(vcd);
        return false;
    }
    outcome.vcdPath = AbsolutePath(vcd);

    // The pair of the design's core, from the same library sources and the cores' testbench.
    std::vector<std::string> pairSources(sources.begin(), sources.end() - 1);
    for (const std::string& unit : PairTestbenchUnits()) {
        const bool compiled = std::any_of(pairSources.begin(), pairSources.end(), [&](const std::string& path) {
            return SplitDesignPath(path).baseName == unit;
        });
        if (compiled)
            continue;
        const std::string source = FindLibraryModuleSource(unit, name.extension, selfPath);
        if (source.empty()) {
            error = "the library file " + unit + name.extension + " for the pair's simulation is not installed";
            return false;
        }
        pairSources.push_back(AbsolutePath(source));
    }
    PairOutcome pair;
    if (!SimulatePair(core, memory, vhdl, pairSources, settings.latencyCycles(), pair, error)) {
        error = "the interleaver -> deinterleaver pair: " + error;
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
