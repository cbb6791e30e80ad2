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

} // namespace

bool PlanSimulation(const VectorFile& vectors, const std::vector<DesignPort>& ports, SimulationPlan& plan,
                    std::string& error)
{
    plan = SimulationPlan();
    plan.stop = vectors.stop;
    plan.ports = ports;
    std::vector<Cursor> cursors;
    const VectorInput* clock = nullptr;
    const VectorInput* syncIn = nullptr;
    const VectorInput* clockEnable = nullptr;
    const VectorInput* din = nullptr;
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
        cursors.push_back({input, 0});
        if (port.name == "clock")
            clock = input;
        else if (port.name == "sync_in")
            syncIn = input;
        else if (port.name == "clken")
            clockEnable = input;
        else if (port.name == "din")
            din = input;
    }
    for (const VectorInput& input : vectors.inputs) {
        const DesignPort* port = FindPort(ports, input.signal.name);
        if (port == nullptr || port->output) {
            error = "the vector file's input " + PrintableText(input.signal.name) + " is not an input of the design";
            return false;
        }
    }
    if (clock == nullptr || syncIn == nullptr || clockEnable == nullptr) {
        error = "the design has no clock, sync_in and clken inputs to drive";
        return false;
    }
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

    // Every time at which an input changes, up to STOP; the testbench's signals start at 0.
    std::uint64_t clockBefore = 0;
    std::string& text = plan.stimulus;
    for (;;) {
        std::int64_t time = std::numeric_limits<std::int64_t>::max();
        for (const Cursor& cursor : cursors)
            time = std::min(time, cursor.NextTime(vectors));
        const bool last = time >= vectors.stop;
        if (last)
            time = vectors.stop;
        for (Cursor& cursor : cursors)
            cursor.Pass(time, vectors);
        const auto at = [&](const VectorInput* input) {
            return input == nullptr ? 0 : input->ValueAt(time, vectors.start, vectors.interval);
        };
        const std::uint64_t clockNow = at(clock);
        const bool rising = !last && clockBefore == 0 && clockNow != 0;
        clockBefore = clockNow;
        if (rising) {
            zorvex::core::CycleInput edge;
            edge.din = at(din);
            edge.syncIn = at(syncIn) != 0;
            edge.clockEnable = at(clockEnable) != 0;
            plan.edges.push_back(edge);
        }
        text += std::to_string(time);
        text += rising || last ? " 1" : " 0";
        for (const Cursor& cursor : cursors) {
            text += ' ';
            AppendBits(text, cursor.input->ValueAt(time, vectors.start, vectors.interval), cursor.input->signal.width());
        }
        text += '\n';
        if (last)
            break;
    }
    if (plan.edges.empty()) {
        error = "the clock does not rise before STOP " + std::to_string(vectors.stop);
        return false;
    }
    return true;
}
