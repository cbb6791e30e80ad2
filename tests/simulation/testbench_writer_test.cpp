#include "simulation/testbench_writer.h"

#include <gtest/gtest.h>

namespace {

// A design with the clock first among its inputs, a two-bit bus in and one out.
SimulationPlan SmallPlan()
{
    SimulationPlan plan;
    plan.ports = {{"clock", false, 1}, {"sync_in", false, 1}, {"din", false, 2}, {"dout", true, 2}};
    plan.inputs = {plan.ports[0], plan.ports[1], plan.ports[2]};
    plan.outputs = {plan.ports[3]};
    return plan;
}

// The plan takes every input as 0 before its first line, so that a clock that is 1 at time 0
// rises there; the testbench's inputs start at 0 too, and its outputs are the design's.
TEST(TestbenchWriter, InputsStartAtZeroInEitherLanguage)
{
    const SimulationPlan plan = SmallPlan();
    const struct {
        const char* language;
        std::string text;
        std::string declared;
    } cases[] = {
        {"VHDL", VhdlTestbench(plan, "top", "s.txt", "r.txt"),
         "    signal clock : std_logic := '0';\n"
         "    signal sync_in : std_logic := '0';\n"
         "    signal din : std_logic_vector(1 downto 0) := (others => '0');\n"
         "    signal dout : std_logic_vector(1 downto 0);\n"},
        {"Verilog", VerilogTestbench(plan, "top", "s.txt", "r.txt", "w.vcd"),
         "    reg clock = 0;\n    reg sync_in = 0;\n    reg [1:0] din = 0;\n    wire [1:0] dout;\n"},
    };
    for (const auto& c : cases)
        EXPECT_NE(c.text.find(c.declared), std::string::npos) << c.language << ":\n" << c.text;
}

// Blocking assignments in one initial block: an edge of the clock set before the other inputs
// would let the design sample them before or after their change, as the simulator schedules it.
TEST(TestbenchWriter, VerilogAppliesTheClockAfterTheOtherInputs)
{
    const std::string text = VerilogTestbench(SmallPlan(), "top", "s.txt", "r.txt", "w.vcd");
    EXPECT_NE(text.find("            sync_in = tb_sync_in;\n"
                        "            din = tb_din;\n"
                        "            clock = tb_clock;\n"),
              std::string::npos)
        << text;
}

} // namespace
