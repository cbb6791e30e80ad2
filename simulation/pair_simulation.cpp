#include "simulation/pair_simulation.h"

#include "design/library_module.h"
#include "platform/regular_file.h"
#include "platform/run_step.h"
#include "platform/temporary_folder.h"
#include "platform/write_file.h"
#include "simulation/simulator_run.h"

#include <random>
#include <sstream>

using namespace zorvex::core;

namespace {

// The testbench's record: a line of two stages' outputs per edge.
constexpr size_t kMaxPairRecordSize = size_t(1) << 30;

std::string Binary(std::uint64_t value, int width)
{
    std::string bits(size_t(width), '0');
    for (int b = 0; b < width; ++b)
        bits[size_t(width - 1 - b)] = (value >> b) & 1 ? '1' : '0';
    return bits;
}

// Reads one stage of a record line: conv_qzram's "next_din dout sync_out dout_valid" or
// genaddr's "read_addr write_addr block_write_enable sync_out block_full block_empty dout".
bool ReadStage(std::istringstream& fields, MemoryKind memory, bool discrete, StageRecord& stage)
{
    std::string value[7];
    const int count = memory == MemoryKind::Internal ? 4 : 7;
    for (int k = 0; k < count; ++k) {
        if (!(fields >> value[k]))
            return false;
    }
    if (memory == MemoryKind::Internal) {
        stage.taken = !discrete || value[0] == "1";
        stage.marked = (discrete ? value[3] : value[2]) == "1";
        stage.dout = value[1];
    } else {
        stage.taken = !discrete || value[2] == "1";
        stage.marked = (discrete ? value[4] : value[3]) == "1";
        stage.dout = value[6];
    }
    return true;
}

// The pair's input: a random symbol on every edge, sync_in on the first. din gets the symbols as
// the testbench records them, the return value the stimulus file's text.
std::string PairStimulus(const CoreSettings& core, std::int64_t cycles, std::vector<std::string>& din)
{
    std::mt19937_64 random(0x5eed);
    const std::uint64_t mask = core.width >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << core.width) - 1;
    std::string stimulus;
    for (std::int64_t edge = 0; edge < cycles; ++edge) {
        din.push_back(Binary(random() & mask, core.width));
        stimulus += std::string("1 ") + (edge == 0 ? "1 " : "0 ") + din.back() + "\n";
    }
    return stimulus;
}

// Simulates the cores' testbench tb_core in work with the pair's generics, reading stimulus.txt
// and leaving record.txt.
bool RunPairTestbench(const CoreSettings& core, MemoryKind memory, Simulator simulator,
                      const std::vector<std::string>& sources, std::int64_t cycles, const std::string& work,
                      RunLimits& limits, std::string& error)
{
    std::vector<std::string> linked;
    if (!LinkSources(sources, work, linked, error))
        return false;
    std::vector<std::string> compiled;
    for (size_t k = 0; k < sources.size(); ++k) {
        if (!IsIncludedLibraryFile(sources[k]))
            compiled.push_back(linked[k]);
    }
    const std::vector<std::pair<std::string, std::string>> generics{
        {"INT_TYPE", TypeGeneric(core.type)},
        {"INT_DEPTH", std::to_string(core.depth)},
        {"SYMBOL_DELAY", std::to_string(core.delay)},
        {"INT_MODE", "INTERLEAVER"},
        {"SYMBOL_WIDTH", std::to_string(core.width)},
        {"EXTERNAL", memory == MemoryKind::External ? "1" : "0"},
        {"PAIR", "1"},
        {"CYCLES", std::to_string(cycles)},
        {"STIMULUS", "stimulus.txt"},
        {"DUMP", "record.txt"},
    };
    if (simulator == Simulator::Ghdl) {
        std::vector<std::string> analyse{"ghdl", "-a", "--std=93"};
        analyse.insert(analyse.end(), compiled.begin(), compiled.end());
        std::vector<std::string> run{"ghdl", "-r", "--std=93", "tb_core"};
        for (const auto& [name, value] : generics)
            run.push_back("-g" + name + "=" + value);
        const std::vector<std::string> backEnd = GhdlEnvironment(cycles);
        return RunStep(analyse, work, limits, error, backEnd)
            && RunStep({"ghdl", "-e", "--std=93", "tb_core"}, work, limits, error, backEnd)
            && RunStep(run, work, limits, error, backEnd);
    }
    const auto quoted = [](const std::string& name) {
        return name == "INT_TYPE" || name == "INT_MODE" || name == "STIMULUS" || name == "DUMP";
    };
    std::vector<VerilogParameter> parameters;
    for (const auto& [name, value] : generics)
        parameters.emplace_back(name, quoted(name) ? "\"" + value + "\"" : value);
    return RunVerilogSimulation(simulator, compiled, "tb_core", parameters, false, work, limits, error);
}

// The pair's record as the edges at which the interleaver took a symbol (taken) and the
// deinterleaver's output on every edge (out). False with the reason when a line does not read or
// the record does not hold cycles edges.
bool ReadPairRecord(const std::string& recorded, MemoryKind memory, bool discrete, std::int64_t cycles,
                    std::vector<std::int64_t>& taken, std::vector<StageRecord>& out, std::string& error)
{
    std::istringstream lines(recorded);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        StageRecord first, second;
        if (!ReadStage(fields, memory, discrete, first) || !ReadStage(fields, memory, discrete, second)) {
            error = "the pair's record line " + std::to_string(out.size() + 1) + " does not read";
            return false;
        }
        if (first.taken)
            taken.push_back(std::int64_t(out.size()));
        out.push_back(second);
    }
    if (std::int64_t(out.size()) != cycles) {
        error = "the pair's record holds " + std::to_string(out.size()) + " edges, not " + std::to_string(cycles);
        return false;
    }
    return true;
}

} // namespace

void MeasurePairLatency(const std::vector<std::string>& din, const std::vector<std::int64_t>& taken,
                        const std::vector<StageRecord>& out, bool discrete, PairOutcome& outcome)
{
    const auto mismatchesAt = [&](std::int64_t latency, std::int64_t& checked) {
        std::int64_t wrong = 0;
        checked = 0;
        for (const std::int64_t edge : taken) {
            if (edge + latency >= outcome.cycles)
                break;
            const StageRecord& shown = out[size_t(edge + latency)];
            ++checked;
            if (shown.dout != din[size_t(edge)] || (discrete && !shown.marked))
                ++wrong;
        }
        return wrong;
    };
    for (std::int64_t edge = taken.front(); edge < outcome.cycles; ++edge) {
        if (!out[size_t(edge)].marked)
            continue;
        std::int64_t checked = 0;
        const std::int64_t wrong = mismatchesAt(edge - taken.front(), checked);
        if (!outcome.measuredLatency || wrong == 0) {
            outcome.measuredLatency = edge - taken.front();
            outcome.symbolsChecked = checked;
            outcome.mismatches = wrong;
        }
        if (wrong == 0)
            break;
    }
}

std::int64_t PairCycles(const CoreSettings& core, MemoryKind memory)
{
    const std::int64_t block = std::int64_t(core.depth) * core.delay;
    return PairLatencyCycles(core, memory) + 4 * block + 8;
}

bool SimulatePair(const CoreSettings& core, MemoryKind memory, Simulator simulator,
                  const std::vector<std::string>& sources, std::int64_t pageLatency, RunLimits& limits,
                  PairOutcome& outcome, std::string& error, const SimulationProgress& progress)
{
    outcome = PairOutcome();
    outcome.expectedLatency = PairLatencyCycles(core, memory);
    outcome.pageLatency = pageLatency;
    outcome.internalMemory = memory == MemoryKind::Internal;
    outcome.cycles = PairCycles(core, memory);
    const bool discrete = core.type == IntType::Block;

    std::vector<std::string> din;
    TemporaryFolder folder;
    if (!folder.Create(error)
        || !WriteFile(folder.path() + "/stimulus.txt", PairStimulus(core, outcome.cycles, din), error))
        return false;
    {
        RecordWatch watch(limits, folder.path() + "/record.txt", outcome.cycles, progress);
        if (!RunPairTestbench(core, memory, simulator, sources, outcome.cycles, folder.path(), limits, error))
            return false;
    }
    std::string recorded;
    if (!ReadRegularFile(folder.path() + "/record.txt", kMaxPairRecordSize, recorded)) {
        error = "the pair's testbench left no record of its outputs";
        return false;
    }
    std::vector<std::int64_t> taken;
    std::vector<StageRecord> out;
    if (!ReadPairRecord(recorded, memory, discrete, outcome.cycles, taken, out, error))
        return false;
    if (!taken.empty())
        MeasurePairLatency(din, taken, out, discrete, outcome);
    return true;
}

std::string PairFault(const PairOutcome& outcome)
{
    if (!outcome.measuredLatency || outcome.symbolsChecked == 0)
        return "returned no symbol in " + std::to_string(outcome.cycles) + " cycles";
    const std::string latency = std::to_string(*outcome.measuredLatency);
    if (*outcome.measuredLatency != outcome.expectedLatency)
        return "has a latency of " + latency + " cycles, not the cores' " + std::to_string(outcome.expectedLatency);
    if (outcome.internalMemory && *outcome.measuredLatency != outcome.pageLatency)
        return "has a latency of " + latency + " cycles, not the " + std::to_string(outcome.pageLatency)
            + " the memory page shows";
    if (outcome.mismatches > 0)
        return "returned " + std::to_string(outcome.mismatches) + " of " + std::to_string(outcome.symbolsChecked)
            + " symbols changed or out of place";
    return {};
}
