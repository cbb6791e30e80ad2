#include "simulation/simulation_plan.h"

#include "platform/printable_text.h"
#include "settings/interleaver_settings.h"
#include "settings/setting_ranges.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

// The INTERVAL of the wizard's vector files: every input changes on its multiples from START 0.
constexpr std::int64_t kWizardInterval = 20;

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
    // The input's value once the cursor has passed a time: what ValueAt gives for that time,
    // without searching for it.
    std::uint64_t Value() const
    {
        if (input->periodic) {
            const std::vector<std::uint64_t>& values = input->periodValues;
            return values.empty() ? 0 : values[next == 0 ? 0 : (next - 1) % values.size()];
        }
        return next == 0 ? 0 : input->changes[next - 1].second;
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
void AppendStimulusLine(std::string& text, std::int64_t time, bool look, const std::vector<Cursor>& cursors)
{
    text += std::to_string(time);
    text += look ? " 1" : " 0";
    for (const Cursor& cursor : cursors) {
        text += ' ';
        AppendBits(text, cursor.Value(), cursor.input->signal.width());
    }
    text += '\n';
}

// Steps the cursors through every time at which an input changes, up to STOP, and hands each time
// to visit with whether the clock rises then (never at STOP) and whether it is STOP; the
// testbench's signals start at 0. Stops early when visit returns false.
template <typename Visit>
void PlayInputs(const VectorFile& vectors, std::vector<Cursor>& cursors, const VectorInput& clock, Visit&& visit)
{
    std::uint64_t clockBefore = 0;
    for (;;) {
        std::int64_t time = std::numeric_limits<std::int64_t>::max();
        for (const Cursor& cursor : cursors)
            time = std::min(time, cursor.NextTime(vectors));
        const bool last = time >= vectors.stop;
        if (last)
            time = vectors.stop;
        for (Cursor& cursor : cursors)
            cursor.Pass(time, vectors);
        const std::uint64_t clockNow = clock.ValueAt(time, vectors.start, vectors.interval);
        const bool rising = !last && clockBefore == 0 && clockNow != 0;
        clockBefore = clockNow;
        if (!visit(time, rising, last) || last)
            break;
    }
}

bool HasRepeatingPattern(const VectorFile& vectors)
{
    return std::any_of(vectors.inputs.begin(), vectors.inputs.end(),
                       [](const VectorInput& input) { return input.periodic; });
}

// The inputs the reference model sees at the rising edge of clock at time.
zorvex::core::CycleInput EdgeAt(std::int64_t time, const DrivenInputs& driven, const VectorFile& vectors)
{
    const auto at = [&](const VectorInput* input) {
        return input == nullptr ? 0 : input->ValueAt(time, vectors.start, vectors.interval);
    };
    zorvex::core::CycleInput edge;
    edge.din = at(driven.din);
    edge.syncIn = at(driven.syncIn) != 0;
    edge.clockEnable = at(driven.clockEnable) != 0;
    return edge;
}

// The edges of the plan and the size of its stimulus, whose lines are counted, not kept.
void PlayPlan(const VectorFile& vectors, DrivenInputs& driven, SimulationPlan& plan)
{
    std::string line;
    PlayInputs(vectors, driven.cursors, *driven.clock, [&](std::int64_t time, bool rising, bool last) {
        if (rising) {
            plan.edges.push_back(EdgeAt(time, driven, vectors));
            plan.edgeTimes.push_back(time);
        }
        line.clear();
        AppendStimulusLine(line, time, rising || last, driven.cursors);
        plan.stimulusBytes += std::int64_t(line.size());
        return true;
    });
}

} // namespace

std::int64_t StimulusLines(const VectorFile& vectors)
{
    const bool periodic = HasRepeatingPattern(vectors);
    const std::int64_t start = vectors.start;
    const std::int64_t interval = vectors.interval;
    std::int64_t lines = 1; // the one at STOP
    if (periodic)
        lines += (vectors.stop - start + interval - 1) / interval;
    // A timed change adds a line at a time before STOP off the periodic steps, once however many
    // inputs change then: the timed patterns are merged in the order of their times.
    std::vector<size_t> next(vectors.inputs.size(), 0);
    std::int64_t counted = -1;
    for (;;) {
        std::int64_t time = vectors.stop;
        size_t earliest = next.size();
        for (size_t k = 0; k < next.size(); ++k) {
            const auto& changes = vectors.inputs[k].changes;
            if (next[k] < changes.size() && changes[next[k]].first < time) {
                time = changes[next[k]].first;
                earliest = k;
            }
        }
        if (earliest == next.size())
            return lines;
        ++next[earliest];
        if (time != counted && (!periodic || time < start || (time - start) % interval != 0))
            ++lines;
        counted = time;
    }
}

std::int64_t MaxStimulusLines()
{
    // The end time depends on the algorithm alone among the flags; the longest of the three at the
    // top of every range.
    std::int64_t longest = 0;
    for (int InterleaverSettings::*algorithm :
         {&InterleaverSettings::CONVOLUTIONAL, &InterleaverSettings::BLOCK, &InterleaverSettings::BLOCK_CONTINOUS}) {
        InterleaverSettings settings;
        settings.CONVOLUTIONAL = settings.BLOCK = settings.BLOCK_CONTINOUS = 0;
        settings.*algorithm = 1;
        for (const SettingRange& range : kSettingRanges)
            settings.*range.setting = range.high;
        longest = std::max<std::int64_t>(longest, settings.vectorEndTime());
    }
    return 4 * ((longest + kWizardInterval - 1) / kWizardInterval + 1);
}

bool CheckStimulusLines(const VectorFile& vectors, std::string& error)
{
    const std::int64_t lines = StimulusLines(vectors);
    const std::int64_t most = MaxStimulusLines();
    if (lines <= most)
        return true;
    error = "STOP " + std::to_string(vectors.stop)
        + (HasRepeatingPattern(vectors) ? " at INTERVAL " + std::to_string(vectors.interval) : std::string())
        + " asks for " + std::to_string(lines)
        + " stimulus steps (times at which an input changes); tarnwick simulates at most " + std::to_string(most)
        + " (4 times the longest the pages make)";
    return false;
}

bool PlanSimulation(const VectorFile& vectors, const std::vector<DesignPort>& ports, SimulationPlan& plan,
                    std::string& error)
{
    plan = SimulationPlan();
    plan.stop = vectors.stop;
    plan.ports = ports;
    DrivenInputs driven;
    if (!MatchInputs(vectors, ports, plan, driven, error) || !MatchOutputs(vectors, ports, plan, error)
        || !CheckStimulusLines(vectors, error))
        return false;
    try {
        PlayPlan(vectors, driven, plan);
    } catch (const std::bad_alloc&) {
        plan = SimulationPlan();
        error = "there is not enough memory for the stimulus of " + std::to_string(StimulusLines(vectors)) + " lines";
        return false;
    }
    if (plan.edges.empty()) {
        error = "the clock does not rise before STOP " + std::to_string(vectors.stop);
        return false;
    }
    return true;
}

void WriteStimulus(const SimulationPlan& plan, const VectorFile& vectors, std::ostream& out)
{
    std::vector<Cursor> cursors;
    const VectorInput* clock = nullptr;
    for (const DesignPort& port : plan.inputs) {
        const VectorInput* input = vectors.FindInput(port.name);
        if (input == nullptr) {
            out.setstate(std::ios::failbit);
            return;
        }
        cursors.push_back({input, 0});
        if (port.name == "clock")
            clock = input;
    }
    if (clock == nullptr) {
        out.setstate(std::ios::failbit);
        return;
    }
    std::string line;
    PlayInputs(vectors, cursors, *clock, [&](std::int64_t time, bool rising, bool last) {
        line.clear();
        AppendStimulusLine(line, time, rising || last, cursors);
        out.write(line.data(), std::streamsize(line.size()));
        return bool(out);
    });
}
