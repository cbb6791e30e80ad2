#include "simulation/testbench_writer.h"

namespace {

std::string VhdlType(const DesignPort& port)
{
    return port.isBus() ? "std_logic_vector(" + std::to_string(port.width - 1) + " downto 0)" : "std_logic";
}

std::string VerilogRange(const DesignPort& port)
{
    return port.isBus() ? "[" + std::to_string(port.width - 1) + ":0] " : "";
}

// The outputs in one line, blank-separated, in the record's order.
std::string JoinOutputs(const SimulationPlan& plan, const std::string& before, const std::string& after,
                        const std::string& between)
{
    std::string text;
    for (size_t k = 0; k < plan.outputs.size(); ++k)
        text += (k == 0 ? "" : between) + before + plan.outputs[k].name + after;
    return text;
}

} // namespace

std::string TestbenchName(const std::string& design)
{
    return "tb_" + design;
}

TestbenchFiles TestbenchFilesOf(const std::string& design, const std::string& extension)
{
    return {design + "_tb" + extension, design + "_stimulus.txt", design + "_record.txt", design + "_sim.vcd"};
}

// The testbench's functions that show a value's bits as the recording holds them.
constexpr const char* kVhdlBitsFunctions = "\n    function tb_bits(v : std_logic_vector) return string is\n"
                                           "        variable s : string(1 to v'length);\n"
                                           "        variable k : integer := 1;\n"
                                           "    begin\n"
                                           "        for b in v'range loop\n"
                                           "            case v(b) is\n"
                                           "                when '0' => s(k) := '0';\n"
                                           "                when '1' => s(k) := '1';\n"
                                           "                when others => s(k) := 'x';\n"
                                           "            end case;\n"
                                           "            k := k + 1;\n"
                                           "        end loop;\n"
                                           "        return s;\n"
                                           "    end function;\n\n"
                                           "    function tb_bits(b : std_logic) return string is\n"
                                           "        variable v : std_logic_vector(0 downto 0);\n"
                                           "    begin\n"
                                           "        v(0) := b;\n"
                                           "        return tb_bits(v);\n"
                                           "    end function;\n";

std::string VhdlTestbench(const SimulationPlan& plan, const std::string& design, const std::string& stimulusFile,
                          const std::string& recordFile)
{
    const std::string name = TestbenchName(design);
    std::string text = "-- Plays the vector file's stimulus on " + design
        + " and records its outputs before every rising clock edge.\n"
          "library ieee;\nuse ieee.std_logic_1164.all;\nuse std.textio.all;\n\n"
          "entity "
        + name + " is\nend " + name + ";\n\narchitecture sim of " + name + " is\n";
    for (const DesignPort& port : plan.ports) {
        text += "    signal " + port.name + " : " + VhdlType(port);
        if (!port.output)
            text += port.isBus() ? " := (others => '0')" : " := '0'";
        text += ";\n";
    }
    text += kVhdlBitsFunctions;
    text += "begin\n"
            "    tb_design : entity work."
        + design + "\n        port map (\n";
    for (size_t k = 0; k < plan.ports.size(); ++k)
        text += "            " + plan.ports[k].name + " => " + plan.ports[k].name
            + (k + 1 < plan.ports.size() ? ",\n" : "\n");
    text += "        );\n\n    tb_play : process\n"
            "        file tb_stimulus : text open read_mode is \""
        + stimulusFile
        + "\";\n"
          "        file tb_record : text open write_mode is \""
        + recordFile
        + "\";\n"
          "        variable tb_in, tb_out : line;\n"
          "        variable tb_time : integer;\n"
          "        variable tb_look : bit;\n";
    for (const DesignPort& port : plan.inputs)
        text += "        variable tb_" + port.name + " : "
            + (port.isBus() ? "bit_vector(" + std::to_string(port.width - 1) + " downto 0)" : std::string("bit"))
            + ";\n";
    text += "    begin\n"
            "        while not endfile(tb_stimulus) loop\n"
            "            readline(tb_stimulus, tb_in);\n"
            "            read(tb_in, tb_time);\n"
            "            read(tb_in, tb_look);\n";
    for (const DesignPort& port : plan.inputs)
        text += "            read(tb_in, tb_" + port.name + ");\n";
    text += "            if tb_time * 1 ns > now then\n"
            "                wait for tb_time * 1 ns - now;\n"
            "            end if;\n"
            "            if tb_look = '1' then\n"
            "                write(tb_out, "
        + JoinOutputs(plan, "tb_bits(", ")", " & \" \" & ")
        + ");\n"
          "                writeline(tb_record, tb_out);\n"
          "            end if;\n";
    for (const DesignPort& port : plan.inputs)
        text += "            " + port.name + " <= " + (port.isBus() ? "to_stdlogicvector" : "to_stdulogic") + "(tb_"
            + port.name + ");\n";
    return text + "        end loop;\n        wait;\n    end process;\nend sim;\n";
}

namespace {

// The Verilog testbench's module, its registers and wires, and the design's instance up to the
// end of its port list.
std::string VerilogTestbenchHead(const SimulationPlan& plan, const std::string& design)
{
    const std::string name = TestbenchName(design);
    std::string text = "// Plays the vector file's stimulus on " + design
        + " and records its outputs before every rising clock edge.\n"
          "`timescale 1ns / 1ns\nmodule "
        + name + ";\n";
    for (const DesignPort& port : plan.ports)
        text += std::string(port.output ? "    wire " : "    reg ") + VerilogRange(port) + port.name
            + (port.output ? ";\n" : " = 0;\n");
    // $dumpvars keeps the waveform to the ports in iverilog; Verilator, which dumps every signal,
    // is told by the comment below to leave out what is declared after it: the testbench's own
    // signals and the design's insides.
    text += "    // verilator tracing_off\n";
    for (const DesignPort& port : plan.inputs)
        text += "    reg " + VerilogRange(port) + "tb_" + port.name + ";\n";
    text += "    reg [63:0] tb_time;\n    reg tb_look;\n    integer tb_stimulus, tb_record, tb_count;\n\n"
            "    "
        + design + " tb_design (\n";
    for (size_t k = 0; k < plan.ports.size(); ++k)
        text += "        ." + plan.ports[k].name + "(" + plan.ports[k].name + ")"
            + (k + 1 < plan.ports.size() ? ",\n" : "\n");
    return text;
}

} // namespace

std::string VerilogTestbench(const SimulationPlan& plan, const std::string& design, const std::string& stimulusFile,
                             const std::string& recordFile, const std::string& vcdFile)
{
    std::string text = VerilogTestbenchHead(plan, design);
    std::string format = "%d %b";
    std::string targets = "tb_time, tb_look";
    // The clock is applied last, so that an edge takes the values that change with it.
    std::string apply;
    std::string applyClock;
    for (const DesignPort& port : plan.inputs) {
        format += " %b";
        targets += ", tb_" + port.name;
        (port.name == "clock" ? applyClock : apply) += "            " + port.name + " = tb_" + port.name + ";\n";
    }
    std::string dumped;
    for (size_t k = 0; k < plan.ports.size(); ++k)
        dumped += ", " + plan.ports[k].name;
    std::string recordFormat;
    for (size_t k = 0; k < plan.outputs.size(); ++k)
        recordFormat += k == 0 ? "%b" : " %b";
    text += "    );\n\n    initial begin\n"
            "        $dumpfile(\""
        + vcdFile
        + "\");\n"
          "        $dumpvars(0"
        + dumped
        + ");\n"
          "        tb_stimulus = $fopen(\""
        + stimulusFile
        + "\", \"r\");\n"
          "        tb_record = $fopen(\""
        + recordFile
        + "\", \"w\");\n"
          "        tb_count = $fscanf(tb_stimulus, \""
        + format + "\\n\", " + targets
        + ");\n"
          "        while (tb_count == "
        + std::to_string(plan.inputs.size() + 2)
        + ") begin\n"
          "            if (tb_time > $time)\n"
          "                #(tb_time - $time);\n"
          "            if (tb_look)\n"
          "                $fwrite(tb_record, \""
        + recordFormat + "\\n\", " + JoinOutputs(plan, "", "", ", ") + ");\n" + apply + applyClock
        + "            tb_count = $fscanf(tb_stimulus, \"" + format + "\\n\", " + targets
        + ");\n"
          "        end\n"
          "        $fclose(tb_record);\n"
          "        $finish;\n"
          "    end\nendmodule\n";
    return text;
}
