#include "simulation/simulation_plan.h"

#include "platform/printable_text.h"

#include <algorithm>
#include <limits>

namespace {

const DesignPort* FindPort(const std::vector<DesignPort>& ports, const std::string& name)
{
    const auto found = std::find_if(ports.begin(), ports.end(), [&](const DesignPort& p) { return p.name == name; });
    return found == ports.end() ? nullptr : &*found;
}

bool SameShape(const DesignPort& port, const VectorSignal& signal, const char* what, std::string& error)
{
    const int width = port.isBus() ? port.width : 1;
    if (width == signal.width())
        return true;
    error = std::string("the vector file's ") + what + " " + PrintableText(signal.name) + " has "
        + std::to_string(signal.width()) + " bits, the design's port " + std::to_string(width);
    return false;
}

void AppendBits(std::string& text, std::uint64_t value, int width)
{
    for (int bit = width - 1; bit >= 0; --bit)
        text += bit < 64 && ((value >> bit) & 1) != 0 ? '1' : '0';
}

// Where an input's pattern next changes at or after its cursor; INT64_MAX when it no longer does.
struct Cursor {
    const VectorInput* input = nullptr;
    size_t next = 0; // the next change, or the next period step

    std::int64_t NextTime(const VectorFile& vectors) const
    {
        if (input->periodic)
            return vectors.start + std::int64_t(next) * vectors.interval;
        return next < input->changes.size() ? input->changes[next].first : std::numeric_limits<std::int64_t>::max();
    }
    void Pass(std::int64_t time, const VectorFile& vectors)
    {
        while (NextTime(vectors) <= time)
            ++next;
    }
};

// The design's inputs as the stimulus drives them, each with its pattern's cursor, and the patterns
// of the inputs the reference model reads at each rising edge; din may have none.
struct DrivenInputs {
    std::vector<Cursor> cursors;
    const VectorInput* clock = nullptr;
    const VectorInput* syncIn = nullptr;
    const VectorInput* clockEnable = nullptr;
    const VectorInput* din = nullptr;
};

// Pairs each of the design's inputs with its pattern, in the design's order, and checks that every
// pattern drives an input of the design and that clock, sync_in and clken are among them.
bool MatchInputs(const VectorFile& vectors, const std::vector<DesignPort>& ports, SimulationPlan& plan,
                 DrivenInputs& driven, std::string& error)
{
    for (const DesignPort& port : ports) {
        if (port.output)
            continue;
        const VectorInput* input = vectors.FindInput(port.name);
        if (input == nullptr) {
            error = "the vector file gives no pattern for the design's input " + PrintableText(port.name);
            return false;
        }
        if (!SameShape(port, input->signal, "input", error))
            return false;
        plan.inputs.push_back(port);
        driven.cursors.push_back({input, 0});
        if (port.name == "clock")
            driven.clock = input;
        else if (port.name == "sync_in")
            driven.syncIn = input;
        else if (port.name == "clken")
            driven.clockEnable = input;
        else if (port.name == "din")
            driven.din = input;
    }
    for (const VectorInput& input : vectors.inputs) {
        const DesignPort* port = FindPort(ports, input.signal.name);
        if (port == nullptr || port->output) {
            error = "the vector file's input " + PrintableText(input.signal.name) + " is not an input of the design";
            return false;
        }
    }
    if (driven.clock == nullptr || driven.syncIn == nullptr || driven.clockEnable == nullptr) {
        error = "the design has no clock, sync_in and clken inputs to drive";
        return false;
    }
    return true;
}

// Takes the vector file's OUTPUTS, in its order, as the outputs to record; each must be an output
// of the design of the same width, and there must be at least one.
bool MatchOutputs(const VectorFile& vectors, const std::vector<DesignPort>& ports, SimulationPlan& plan,
                  std::string& error)
{
    for (const VectorSignal& signal : vectors.outputs) {
        const DesignPort* port = FindPort(ports, signal.name);
        if (port == nullptr || !port->output) {
            error = "the vector file's output " + PrintableText(signal.name) + " is not an output of the design";
            return false;
        }
        if (!SameShape(*port, signal, "output", error))
            return false;
        plan.outputs.push_back(*port);
    }
    if (plan.outputs.empty()) {
        error = "the vector file names no OUTPUTS to record";
        return false;
    }
    return true;
}

// One line of the stimulus: the time, the look flag and every input's value at that time.
void AppendStimulusLine(std::string& text, std::int64_t time, bool look, const std::vector<Cursor>& cursors,
                        const VectorFile& vectors)
{
    text += std::to_string(time);
    text += look ? " 1" : " 0";
    for (const Cursor& cursor : cursors) {
        text += ' ';
        AppendBits(text, cursor.input->ValueAt(time, vectors.start, vectors.interval), cursor.input->signal.width());
    }
    text += '\n';
}

// Writes a stimulus line for every time at which an input changes, up to STOP, and the inputs the
// reference model sees at every rising edge of clock; the testbench's signals start at 0.
void PlayInputs(const VectorFile& vectors, DrivenInputs& driven, SimulationPlan& plan)
{
    std::uint64_t clockBefore = 0;
    for (;;) {
        std::int64_t time = std::numeric_limits<std::int64_t>::max();
        for (const Cursor& cursor : driven.cursors)
            time = std::min(time, cursor.NextTime(vectors));
        const bool last = time >= vectors.stop;
        if (last)
            time = vectors.stop;
        for (Cursor& cursor : driven.cursors)
            cursor.Pass(time, vectors);
        const auto at = [&](const VectorInput* input) {
            return input == nullptr ? 0 : input->ValueAt(time, vectors.start, vectors.interval);
        };
        const std::uint64_t clockNow = at(driven.clock);
        const bool rising = !last && clockBefore == 0 && clockNow != 0;
        clockBefore = clockNow;
        if (rising) {
            zorvex::core::CycleInput edge;
            edge.din = at(driven.din);
            edge.syncIn = at(driven.syncIn) != 0;
            edge.clockEnable = at(driven.clockEnable) != 0;
            plan.edges.push_back(edge);
        }
        AppendStimulusLine(plan.stimulus, time, rising || last, driven.cursors, vectors);
        if (last)
            break;
    }
}

} // namespace

bool PlanSimulation(const VectorFile& vectors, const std::vector<DesignPort>& ports, SimulationPlan& plan,
                    std::string& error)
{
    plan = SimulationPlan();
    plan.stop = vectors.stop;
    plan.ports = ports;
    DrivenInputs driven;
    if (!MatchInputs(vectors, ports, plan, driven, error) || !MatchOutputs(vectors, ports, plan, error))
        return false;
    PlayInputs(vectors, driven, plan);
    if (plan.edges.empty()) {
        error = "the clock does not rise before STOP " + std::to_string(vectors.stop);
        return false;
    }
    return true;
}
