#include "simulation/simulation_check.h"

#include "core_model/core_models.h"
#include "platform/printable_text.h"

#include <cctype>
#include <ostream>
#include <string_view>

using namespace zorvex::core;

namespace {

// Where a design output's value comes from in the model's cycle of one edge.
enum class Field { NextDin, Dout, SyncOut, DoutValid, ReadAddr, WriteAddr, WriteEnable, BlockFull, BlockEmpty };

bool FieldOf(const std::string& port, MemoryKind memory, Field& field)
{
    struct Entry {
        const char* name;
        MemoryKind memory;
        Field field;
    };
    static const Entry kFields[] = {
        {"next_din", MemoryKind::Internal, Field::NextDin},
        {"dout", MemoryKind::Internal, Field::Dout},
        {"sync_out", MemoryKind::Internal, Field::SyncOut},
        {"dout_valid", MemoryKind::Internal, Field::DoutValid},
        {"read_addr", MemoryKind::External, Field::ReadAddr},
        {"addr", MemoryKind::External, Field::ReadAddr},
        {"write_addr", MemoryKind::External, Field::WriteAddr},
        {"write_enable", MemoryKind::External, Field::WriteEnable},
        {"sync_out", MemoryKind::External, Field::SyncOut},
        {"block_full", MemoryKind::External, Field::BlockFull},
        {"block_empty", MemoryKind::External, Field::BlockEmpty},
    };
    for (const Entry& entry : kFields) {
        if (port == entry.name && memory == entry.memory) {
            field = entry.field;
            return true;
        }
    }
    return false;
}

// next_din, the addresses and write_enable show an edge's inputs in the cycle that edge ends.
bool Early(Field field)
{
    return field == Field::NextDin || field == Field::ReadAddr || field == Field::WriteAddr
        || field == Field::WriteEnable;
}

// Both cores' cycles of one edge.
struct EdgeOutputs {
    ConvQzramCycle stream;
    GenaddrCycle addresses;
};

std::optional<std::uint64_t> Value(const EdgeOutputs& edge, Field field)
{
    const ConvQzramCycle& c = edge.stream;
    const GenaddrCycle& g = edge.addresses;
    switch (field) {
    case Field::NextDin:
        return c.nextDin;
    case Field::Dout:
        return c.dout;
    case Field::SyncOut:
        return c.syncOut;
    case Field::DoutValid:
        return c.doutValid;
    case Field::ReadAddr:
        return g.readAddr;
    case Field::WriteAddr:
        return g.writeAddr;
    case Field::WriteEnable:
        return g.blockWriteEnable;
    case Field::BlockFull:
        return g.blockFull;
    case Field::BlockEmpty:
        return g.blockEmpty;
    }
    return std::nullopt;
}

std::string Bits(std::uint64_t value, int width)
{
    std::string text;
    for (int bit = width - 1; bit >= 0; --bit)
        text += bit < 64 && ((value >> bit) & 1) != 0 ? '1' : '0';
    return text;
}

// The model's outputs for every edge, in the order the edges come.
std::vector<EdgeOutputs> ModelOutputs(const std::vector<CycleInput>& edges, const CoreSettings& settings,
                                      MemoryKind memory)
{
    std::vector<EdgeOutputs> model;
    model.reserve(edges.size());
    if (memory == MemoryKind::Internal) {
        ConvQzramModel core(settings);
        for (const CycleInput& in : edges)
            model.push_back({core.Edge(in), {}});
    } else {
        GenaddrModel core(settings);
        for (const CycleInput& in : edges) {
            const GenaddrCycle g = core.Edge(in);
            model.push_back({StreamOf(g), g});
        }
    }
    return model;
}

// The symbols the model takes and gives, and the cycles of the first of each.
void CountSymbols(const std::vector<CycleInput>& edges, const std::vector<EdgeOutputs>& model, bool block,
                  SimulationOutcome& outcome)
{
    for (size_t k = 0; k < model.size(); ++k) {
        if (!edges[k].clockEnable)
            continue;
        ++outcome.symbolsIn;
        if (!outcome.firstInputCycle)
            outcome.firstInputCycle = std::int64_t(k);
        const ConvQzramCycle& out = model[k].stream;
        if (block ? out.doutValid : out.dout.has_value()) {
            ++outcome.symbolsOut;
            if (!outcome.firstOutputCycle)
                outcome.firstOutputCycle = std::int64_t(k) + 1;
        }
    }
}

// The next blank-separated word of line from next on, empty at its end; next moves past it.
std::string_view NextWord(std::string_view line, size_t& next)
{
    while (next < line.size() && std::isspace(static_cast<unsigned char>(line[next])))
        ++next;
    const size_t start = next;
    while (next < line.size() && !std::isspace(static_cast<unsigned char>(line[next])))
        ++next;
    return line.substr(start, next - start);
}

// The reference model's field of each of the plan's outputs, in order. False naming an output the
// model has none for.
bool OutputFields(const SimulationPlan& plan, MemoryKind memory, std::vector<Field>& fields, std::string& error)
{
    for (const DesignPort& port : plan.outputs) {
        Field field{};
        if (!FieldOf(port.name, memory, field)) {
            error = "the reference model has no output " + PrintableText(port.name);
            return false;
        }
        fields.push_back(field);
    }
    return true;
}

// The outcome before the recording is read: its cycles and the symbols the model takes and gives.
void StartOutcome(const SimulationPlan& plan, const std::vector<EdgeOutputs>& model, const CoreSettings& settings,
                  SimulationOutcome& outcome)
{
    outcome.cycles = std::int64_t(plan.edges.size());
    outcome.symbolsIn = outcome.symbolsOut = outcome.checkedValues = outcome.mismatches = 0;
    outcome.firstInputCycle.reset();
    outcome.firstOutputCycle.reset();
    outcome.firstMismatch.reset();
    CountSymbols(plan.edges, model, settings.type == IntType::Block, outcome);
}

// The model's value of field in the recording of cycle; none where the output's value does not
// matter. An early output shows the edge ending this cycle, a registered one the edge before; the
// first cycle's registers and the last look's early outputs have no edge.
std::optional<std::uint64_t> Expected(const std::vector<EdgeOutputs>& model, Field field, size_t cycle)
{
    const bool early = Early(field);
    if (early ? cycle >= model.size() : cycle == 0)
        return std::nullopt;
    return Value(model[early ? cycle : cycle - 1], field);
}

} // namespace

bool WriteExpectedOutputs(const SimulationPlan& plan, const CoreSettings& settings, MemoryKind memory,
                          std::ostream& out, std::string& error)
{
    std::vector<Field> fields;
    if (!OutputFields(plan, memory, fields, error))
        return false;
    const std::vector<EdgeOutputs> model = ModelOutputs(plan.edges, settings, memory);
    for (size_t cycle = 0; cycle <= model.size() && out; ++cycle) {
        for (size_t p = 0; p < fields.size(); ++p) {
            const DesignPort& port = plan.outputs[p];
            const int width = port.isBus() ? port.width : 1;
            const std::optional<std::uint64_t> want = Expected(model, fields[p], cycle);
            out << (p == 0 ? "" : " ") << (want ? Bits(*want, width) : std::string(size_t(width), '-'));
        }
        out << '\n';
    }
    if (!out)
        error = "cannot write the expected outputs";
    return bool(out);
}

bool CheckRecordedOutputs(const std::string& recorded, const SimulationPlan& plan, const CoreSettings& settings,
                          MemoryKind memory, SimulationOutcome& outcome, std::string& error)
{
    std::vector<Field> fields;
    if (!OutputFields(plan, memory, fields, error))
        return false;
    const std::vector<EdgeOutputs> model = ModelOutputs(plan.edges, settings, memory);

    StartOutcome(plan, model, settings, outcome);

    // The recording is read in place, a line and a value at a time: at the largest settings it
    // holds hundreds of megabytes.
    size_t cycle = 0;
    for (size_t at = 0; at < recorded.size(); ++cycle) {
        size_t end = recorded.find('\n', at);
        if (end == std::string::npos)
            end = recorded.size();
        const std::string_view line(recorded.data() + at, end - at);
        at = end + 1;
        if (cycle > model.size()) {
            error = "the testbench recorded more than the " + std::to_string(model.size() + 1) + " cycles run";
            return false;
        }
        size_t next = 0;
        for (size_t p = 0; p < fields.size(); ++p) {
            const std::string_view got = NextWord(line, next);
            const DesignPort& port = plan.outputs[p];
            const int width = port.isBus() ? port.width : 1;
            if (got.size() != size_t(width)) {
                error = "the testbench's recording of cycle " + std::to_string(cycle) + " has no "
                    + std::to_string(width) + "-bit value for " + PrintableText(port.name);
                return false;
            }
            const std::optional<std::uint64_t> want = Expected(model, fields[p], cycle);
            if (!want)
                continue;
            ++outcome.checkedValues;
            const std::string expected = Bits(*want, width);
            if (got == expected)
                continue;
            if (outcome.mismatches++ == 0)
                outcome.firstMismatch = SimulationMismatch{std::int64_t(cycle), port.name, expected, std::string(got)};
        }
    }
    if (cycle != model.size() + 1) {
        error = "the testbench recorded " + std::to_string(cycle) + " cycles of the " + std::to_string(model.size() + 1)
            + " run; the simulation stopped early";
        return false;
    }
    return true;
}
