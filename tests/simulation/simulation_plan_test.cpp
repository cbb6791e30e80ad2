#include "simulation/simulation_check.h"
#include "simulation/simulation_plan.h"

#include "core_model/core_models.h"
#include "settings/interleaver_settings.h"
#include "settings/vector_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using zorvex::core::ConvQzramCycle;
using zorvex::core::CoreSettings;
using zorvex::core::MemoryKind;

// Edges at 20, 60, 100, 140 and 180; sync_in high over the edge at 60, clken from 80, din 1 then 2.
const char kSmallVectors[] = "START 0; STOP 200; INTERVAL 20;\n"
                             "INPUTS clock; PATTERN 0 1;\n"
                             "INPUTS sync_in; PATTERN 0>0 40>1 80>0;\n"
                             "INPUTS clken; PATTERN 0>0 80>1;\n"
                             "INPUTS din[1..0]\\DEC; PATTERN 0>0 80>1 120>2;\n"
                             "OUTPUTS dout[1..0] sync_out;\n";

std::vector<DesignPort> SmallDesign()
{
    return {{"clock", false, 1}, {"sync_in", false, 1}, {"clken", false, 1},
            {"din", false, 2},   {"dout", true, 2},     {"sync_out", true, 1}};
}

bool Plan(const std::string& text, const std::vector<DesignPort>& ports, SimulationPlan& plan, std::string& error)
{
    VectorFile vectors;
    if (!ReadVectorFile(text, "v.vec", vectors, error))
        return false;
    return PlanSimulation(vectors, ports, plan, error);
}

TEST(SimulationPlan, LooksBeforeEveryRisingEdgeAndAtStop)
{
    SimulationPlan plan;
    std::string error;
    ASSERT_TRUE(Plan(kSmallVectors, SmallDesign(), plan, error)) << error;
    VectorFile vectors;
    ASSERT_TRUE(ReadVectorFile(kSmallVectors, "v.vec", vectors, error)) << error;
    std::ostringstream stimulus;
    WriteStimulus(plan, vectors, stimulus);
    EXPECT_EQ(plan.stimulusBytes, std::int64_t(stimulus.str().size()));
    EXPECT_EQ(stimulus.str(), "0 0 0 0 0 00\n"
                             "20 1 1 0 0 00\n"
                             "40 0 0 1 0 00\n"
                             "60 1 1 1 0 00\n"
                             "80 0 0 0 1 01\n"
                             "100 1 1 0 1 01\n"
                             "120 0 0 0 1 10\n"
                             "140 1 1 0 1 10\n"
                             "160 0 0 0 1 10\n"
                             "180 1 1 0 1 10\n"
                             "200 1 0 0 1 10\n");
    ASSERT_EQ(plan.edges.size(), 5u);
    const bool syncIn[] = {false, true, false, false, false};
    const bool enabled[] = {false, false, true, true, true};
    const std::uint64_t din[] = {0, 0, 1, 2, 2};
    for (size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(plan.edges[k].syncIn, syncIn[k]) << k;
        EXPECT_EQ(plan.edges[k].clockEnable, enabled[k]) << k;
        EXPECT_EQ(plan.edges[k].din, din[k]) << k;
    }
    ASSERT_EQ(plan.outputs.size(), 2u);
    EXPECT_EQ(plan.outputs[0].name, "dout");
}

TEST(SimulationPlan, RefusesVectorsThatDoNotFitTheDesign)
{
    struct Case {
        std::string text;
        const char* error;
    };
    const std::string clock = "STOP 200; INTERVAL 20; INPUTS clock; PATTERN 0 1; INPUTS sync_in; PATTERN 0>0;"
                              " INPUTS clken; PATTERN 0>0;";
    const Case cases[] = {
        {clock + " OUTPUTS sync_out;", "the vector file gives no pattern for the design's input din"},
        {clock + " INPUTS din[2..0]\\DEC; PATTERN 0>0; OUTPUTS sync_out;",
         "the vector file's input din has 3 bits, the design's port 2"},
        {clock + " INPUTS din[1..0]\\DEC; PATTERN 0>0; INPUTS dout[1..0]; PATTERN 0>0; OUTPUTS sync_out;",
         "the vector file's input dout is not an input of the design"},
        {clock + " INPUTS din[1..0]\\DEC; PATTERN 0>0; OUTPUTS clken;",
         "the vector file's output clken is not an output of the design"},
        {clock + " INPUTS din[1..0]\\DEC; PATTERN 0>0; OUTPUTS sync_out[1..0];",
         "the vector file's output sync_out has 2 bits, the design's port 1"},
        {clock + " INPUTS din[1..0]\\DEC; PATTERN 0>0;", "the vector file names no OUTPUTS to record"},
        {"STOP 20; INTERVAL 20; INPUTS clock; PATTERN 0 1; INPUTS sync_in; PATTERN 0>0; INPUTS clken; PATTERN 0>0;"
         " INPUTS din[1..0]\\DEC; PATTERN 0>0; OUTPUTS sync_out;",
         "the clock does not rise before STOP 20"},
    };
    for (const Case& c : cases) {
        SimulationPlan plan;
        std::string error;
        EXPECT_FALSE(Plan(c.text, SmallDesign(), plan, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

// Hand-edited timings: a repeating clock from START 10 with changes off its steps, on them, at
// the same time in two inputs, twice in one input and at STOP; a pattern of three steps; and a
// clock given by its times, with an input whose first change comes after START. Every line gives
// each input's value at its time as the file says it.
TEST(SimulationPlan, CountsItsStimulusLinesAndWritesTheSameStimulusAsAStream)
{
    const std::string timed = " INPUTS clken; PATTERN 10>0 35>1 50>0 50>1 210>0;"
                              " INPUTS din[1..0]\\DEC; PATTERN 10>0 35>2 77>1 77>3 210>1;"
                              " OUTPUTS dout[1..0] sync_out;";
    const std::string cases[] = {
        kSmallVectors,
        "START 10; STOP 210; INTERVAL 20; INPUTS clock; PATTERN 0 1; INPUTS sync_in; PATTERN 10>1 11>0;" + timed,
        "START 10; STOP 210; INTERVAL 20; INPUTS clock; PATTERN 0 1; INPUTS sync_in; PATTERN 1 0 0;" + timed,
        "START 10; STOP 210; INPUTS clock; PATTERN 10>0 30>1 70>0 71>1 90>0; INPUTS sync_in; PATTERN 30>1 50>0;" + timed,
    };
    for (const std::string& text : cases) {
        VectorFile vectors;
        SimulationPlan plan;
        std::string error;
        ASSERT_TRUE(ReadVectorFile(text, "v.vec", vectors, error)) << error;
        ASSERT_TRUE(PlanSimulation(vectors, SmallDesign(), plan, error)) << text << ": " << error;
        std::ostringstream written;
        WriteStimulus(plan, vectors, written);
        EXPECT_TRUE(written.good()) << text;
        const std::string stimulus = written.str();
        EXPECT_EQ(StimulusLines(vectors), std::count(stimulus.begin(), stimulus.end(), '\n')) << text;
        EXPECT_EQ(plan.stimulusBytes, std::int64_t(stimulus.size())) << text;
        std::istringstream lines(stimulus);
        std::int64_t time = 0;
        int look = 0;
        while (lines >> time >> look) {
            for (const char* name : {"clock", "sync_in", "clken", "din"}) {
                std::string bits;
                lines >> bits;
                EXPECT_EQ(std::stoull(bits, nullptr, 2), vectors.FindInput(name)->ValueAt(time, vectors.start,
                                                                                          vectors.interval))
                    << text << ": " << name << " at " << time;
            }
        }
    }
}

std::string ClockOnly(std::int64_t stop, std::int64_t interval)
{
    return "START 0; STOP " + std::to_string(stop) + "; INTERVAL " + std::to_string(interval)
        + "; INPUTS clock; PATTERN 0 1; INPUTS sync_in; PATTERN 0>0; INPUTS clken; PATTERN 0>0;"
          " INPUTS din[1..0]\\DEC; PATTERN 0>0; OUTPUTS dout[1..0] sync_out;";
}

// The wizard's vector files step every 20 from START 0 to their end: the default one ends at
// ((12 - 1) * 17 * 12 + 6) * 120 = 270000. The longest the pages make is the convolutional one at
// I = 40, J = 500, which ends at ((40 - 1) * 500 * 40 + 6) * 120.
TEST(SimulationPlan, BoundsTheStimulusAtFourTimesTheLongestVectorFileThePagesMake)
{
    std::ostringstream out;
    WriteVectorFile(out, InterleaverSettings());
    VectorFile vectors;
    std::string error;
    ASSERT_TRUE(ReadVectorFile(out.str(), "default.vec", vectors, error)) << error;
    EXPECT_EQ(StimulusLines(vectors), 270000 / 20 + 1);
    const std::int64_t longest = ((40 - 1) * 500 * 40 + 6) * 120 / 20 + 1;
    EXPECT_EQ(MaxStimulusLines(), 4 * longest);

    // A clock stepping every 20 up to STOP has STOP / 20 + 1 lines.
    const std::int64_t edge = (4 * longest - 1) * 20;
    ASSERT_TRUE(ReadVectorFile(ClockOnly(edge, 20), "edge.vec", vectors, error)) << error;
    EXPECT_TRUE(CheckStimulusLines(vectors, error)) << error;
    ASSERT_TRUE(ReadVectorFile(ClockOnly(edge + 1, 20), "past.vec", vectors, error)) << error;
    EXPECT_FALSE(CheckStimulusLines(vectors, error));
    EXPECT_EQ(error, "STOP 374402941 at INTERVAL 20 asks for 18720149 stimulus steps (times at which an input "
                     "changes); tarnwick simulates at most 18720148 (4 times the longest the pages make)");
}

// The address space the process holds now, in bytes.
std::uint64_t AddressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    statm >> pages;
    return pages * std::uint64_t(::sysconf(_SC_PAGESIZE));
}

// In a child whose address space may grow by little more than room, a refused plan comes back as
// a reason, not a crash: STOP at the latest time with INTERVAL 1 is refused before anything is
// played, and a plan within the bound that needs more memory than there is fails with the reason.
TEST(SimulationPlan, RefusesAHugeStimulusWithoutRunningOutOfMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow memory leaves no address space to limit";
#endif
    struct Case {
        std::string text;
        std::uint64_t room;
        std::string error;
    };
    const Case cases[] = {
        {ClockOnly(2147483647, 1), std::uint64_t(512) << 20,
         "STOP 2147483647 at INTERVAL 1 asks for 2147483648 stimulus steps (times at which an input changes); "
         "tarnwick simulates at most 18720148 (4 times the longest the pages make)"},
        {ClockOnly(18000000, 1), std::uint64_t(64) << 20,
         "there is not enough memory for the stimulus of 18000001 lines"},
    };
    for (const Case& c : cases) {
        const auto plan = [&c] {
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max = AddressSpaceInUse() + c.room;
            ::setrlimit(RLIMIT_AS, &limit);
            SimulationPlan plan;
            std::string error;
            const bool planned = Plan(c.text, SmallDesign(), plan, error);
            std::fprintf(stderr, "%s\n", error.c_str());
            std::_Exit(!planned && error == c.error ? 0 : 1);
        };
        EXPECT_EXIT(plan(), ::testing::ExitedWithCode(0), "") << c.error;
    }
}

std::string Bits(std::uint64_t value, int width)
{
    std::string text;
    for (int bit = width - 1; bit >= 0; --bit)
        text += (value >> bit & 1) != 0 ? '1' : '0';
    return text;
}

// The default interleaver's edges from the wizard's own stimulus, as a record a correct design
// makes: its registered outputs show an edge in the cycle after it; don't-care data as x.
struct Recorded {
    SimulationPlan plan;
    CoreSettings settings;
    std::vector<std::string> lines;
};

Recorded CorrectRecord()
{
    Recorded r;
    r.settings.depth = 3;
    r.settings.delay = 2;
    r.settings.width = 2;
    std::string text = "START 0; STOP 2000; INTERVAL 20; INPUTS clock; PATTERN 0 1;"
                       " INPUTS sync_in; PATTERN 0>0 80>1 120>0; INPUTS clken; PATTERN 0>0 160>1;"
                       " INPUTS din[1..0]\\DEC; PATTERN 0>0";
    for (int t = 160, v = 0; t < 2000; t += 40, v = (v + 1) % 4)
        text += " " + std::to_string(t) + ">" + std::to_string(v);
    text += "; OUTPUTS dout[1..0] sync_out;";
    std::string error;
    EXPECT_TRUE(Plan(text, SmallDesign(), r.plan, error)) << error;
    zorvex::core::ConvQzramModel model(r.settings);
    std::string previousDout = "xx";
    std::string previousSync = "x";
    for (const zorvex::core::CycleInput& in : r.plan.edges) {
        r.lines.push_back(previousDout + " " + previousSync);
        const ConvQzramCycle out = model.Edge(in);
        previousDout = out.dout ? Bits(*out.dout, 2) : "xx";
        previousSync = out.syncOut ? "1" : "0";
    }
    r.lines.push_back(previousDout + " " + previousSync);
    return r;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

TEST(SimulationCheck, ACorrectRecordHasNoMismatchAndCountsTheSymbols)
{
    Recorded r = CorrectRecord();
    SimulationOutcome outcome;
    std::string error;
    ASSERT_TRUE(CheckRecordedOutputs(Join(r.lines), r.plan, r.settings, MemoryKind::Internal, outcome, error)) << error;
    EXPECT_EQ(outcome.mismatches, 0);
    EXPECT_EQ(outcome.cycles, 50);
    // clken rises at 160: the edges from 180 on, 4 to 49, take a symbol each.
    EXPECT_EQ(outcome.symbolsIn, 46);
    EXPECT_EQ(outcome.firstInputCycle, 4);
    ASSERT_TRUE(outcome.firstOutputCycle.has_value());
    // The zero-delay branch shows its first symbol after the pipeline.
    EXPECT_EQ(*outcome.firstOutputCycle,
              4 + zorvex::core::PipelineCycles(r.settings, MemoryKind::Internal) + 1);
    EXPECT_GT(outcome.checkedValues, 50);
}

TEST(SimulationCheck, FindsTheFirstWrongValueAndRefusesShortRecords)
{
    struct Case {
        const char* what;
        size_t line;
        std::string replacement; // empty: the line goes
        std::int64_t cycle;
        const char* port;
    };
    Recorded base = CorrectRecord();
    // The first cycle whose dout the model defines, and a late one.
    size_t defined = 0;
    while (base.lines[defined].compare(0, 2, "xx") == 0)
        ++defined;
    const std::string late = base.lines[40];
    const auto flipped = [](std::string line, size_t at) {
        line[at] = line[at] == '1' ? '0' : '1';
        return line;
    };
    const Case cases[] = {
        {"sync_out flipped", 40, flipped(late, 3), 40, "sync_out"},
        {"dout bit flipped", 40, flipped(late, 0), 40, "dout"},
        {"dout unknown where defined", defined, "x" + base.lines[defined].substr(1), std::int64_t(defined), "dout"},
        {"an extra recording", 0, base.lines[0] + "\n" + base.lines[0], 0, ""},
    };
    for (const Case& c : cases) {
        Recorded r = base;
        r.lines[c.line] = c.replacement;
        SimulationOutcome outcome;
        std::string error;
        const bool checked = CheckRecordedOutputs(Join(r.lines), r.plan, r.settings, MemoryKind::Internal, outcome, error);
        if (std::string(c.port).empty()) {
            EXPECT_FALSE(checked) << c.what;
            EXPECT_EQ(error, "the testbench recorded more than the 51 cycles run") << c.what;
            continue;
        }
        ASSERT_TRUE(checked) << c.what << ": " << error;
        EXPECT_EQ(outcome.mismatches, 1) << c.what;
        ASSERT_TRUE(outcome.firstMismatch.has_value()) << c.what;
        EXPECT_EQ(outcome.firstMismatch->cycle, c.cycle) << c.what;
        EXPECT_EQ(outcome.firstMismatch->port, c.port) << c.what;
    }
    Recorded shortened = base;
    shortened.lines.pop_back();
    SimulationOutcome outcome;
    std::string error;
    EXPECT_FALSE(CheckRecordedOutputs(Join(shortened.lines), shortened.plan, shortened.settings, MemoryKind::Internal,
                                      outcome, error));
    EXPECT_EQ(error, "the testbench recorded 50 cycles of the 51 run; the simulation stopped early");
    shortened.lines = base.lines;
    shortened.lines[7] = "01";
    EXPECT_FALSE(CheckRecordedOutputs(Join(shortened.lines), shortened.plan, shortened.settings, MemoryKind::Internal,
                                      outcome, error));
    EXPECT_EQ(error, "the testbench's recording of cycle 7 has no 1-bit value for sync_out");
}

} // namespace
