#include "simulation/rerun_script.h"

#include "design/library_module.h"
#include "platform/display_command_line.h"
#include "simulation/testbench_writer.h"

namespace {

// A line that ends the script with status 2 when program is not on PATH, naming the Debian
// package that brings it.
std::string ToolCheck(const std::string& program)
{
    return "command -v " + program + " >/dev/null 2>&1 || { echo \"$script: " + program
        + " is not on PATH; install the Debian package " + SimulatorPackage(program) + "\" >&2; exit 2; }\n";
}

// The commands that compile and run the testbench in the simulation's folder, where the design's
// folder is src; each line but the last ends in "&&".
std::string SimulationCommands(const SimulationPlan& plan, const std::string& design, const TestbenchFiles& files,
                               Simulator simulator, const std::vector<std::string>& sources)
{
    const std::string top = TestbenchName(design);
    std::string compiled;
    for (const std::string& source : sources) {
        if (!IsIncludedLibraryFile(source))
            compiled += " " + ShellQuoted("src/" + source);
    }
    compiled += " " + ShellQuoted("src/" + files.testbench);
    if (simulator == Simulator::Ghdl) {
        // The wave options keep the waveform to the design's ports, as the run's did; without
        // --read-wave-opt ghdl dumps every signal of the design. The IEEE library's warnings about
        // the values before the first clock edge are left out.
        std::string waves = "    printf '%s\\n' '$ version 1.1'";
        for (const DesignPort& port : plan.ports)
            waves += " " + ShellQuoted("/" + top + "/" + port.name);
        return waves + " > waves.opt &&\n    ghdl -a --std=93" + compiled + " &&\n    ghdl -e --std=93 "
            + ShellQuoted(top) + " &&\n    ghdl -r --std=93 " + ShellQuoted(top) + " "
            + ShellQuoted("--vcd=" + files.waveform) + " --read-wave-opt=waves.opt --ieee-asserts=disable-at-0\n";
    }
    if (simulator == Simulator::Verilator)
        return "    verilator --binary -Wno-fatal --timescale 1ns/1ns -j 2 --Mdir obj -o simulation --top-module "
            + ShellQuoted(top) + " -Isrc --trace" + compiled
            + " >verilator.log 2>&1 || { cat verilator.log >&2; false; } &&\n    obj/simulation\n";
    return "    iverilog -g2001 -o simulation.vvp -s " + ShellQuoted(top) + " -Isrc" + compiled
        + " &&\n    vvp -n simulation.vvp\n";
}

// The check of the record against the expected outputs, line by line and value by value, as the
// run's own check: a value of the wrong width fails the record, a value of '-'s is not compared,
// every other is compared as text. The record and the expected outputs are read a line at a time:
// at the largest settings each holds hundreds of megabytes.
constexpr const char* kCheckProgram = R"AWK(
function complain(text) { print script ": " text | "cat 1>&2" }
BEGIN { count = split(ports, name, " ") }
{
    cycle = NR - 1
    if ((getline want < expected) <= 0) {
        complain("the record holds more than the " cycle " cycles expected")
        broken = 1
        exit 1
    }
    split(want, value, " ")
    for (p = 1; p <= count; ++p) {
        if (length($p) != length(value[p])) {
            complain("the record of cycle " cycle " has no " length(value[p]) "-bit value for " name[p])
            broken = 1
            exit 1
        }
        if (value[p] ~ /^-+$/)
            continue
        ++checked
        if (($p "") == (value[p] ""))
            continue
        if (mismatches++ == 0)
            first = "first mismatch in cycle " cycle ": " name[p] " is " $p ", the model expects " value[p]
    }
}
END {
    if (broken)
        exit 1
    expectedCycles = NR
    while ((getline want < expected) > 0)
        ++expectedCycles
    if (expectedCycles != NR) {
        complain("the record holds " NR " cycles of the " expectedCycles " expected; the simulation stopped early")
        exit 1
    }
    if (mismatches > 0) {
        complain(mismatches " of " checked " output values differ from the reference model; " first)
        exit 1
    }
    print script ": " (checked + 0) " output values checked against the reference model, 0 mismatches"
}
)AWK";

// The script's first lines: the shell, and what it does and says by its exit status.
std::string ScriptHeader(const std::string& design, const std::string& extension, const TestbenchFiles& files,
                         const std::string& simulator)
{
    return "#!/bin/sh\n"
           "# Reruns "
        + files.testbench + ", the testbench of " + design + extension + ", with " + simulator
        + ", and checks the outputs it\n"
          "# records against the reference model's in "
        + ExpectedOutputsName(design)
        + " (a value of '-'s does not matter).\n"
          "# Exit status: 0 when every output matches, 1 when one differs (the first is named) or the\n"
          "# record is not whole, 2 when the simulation cannot run. The record and the waveform are left\n"
          "# beside the design as "
        + files.record + " and " + files.waveform + ".\n";
}

} // namespace

std::string ExpectedOutputsName(const std::string& design)
{
    return design + "_expected.txt";
}

std::string RerunScriptName(const std::string& design)
{
    return design + "_sim.sh";
}

std::string RerunScript(const SimulationPlan& plan, const std::string& design, const std::string& extension,
                        Simulator simulator, const std::vector<std::string>& sources)
{
    const TestbenchFiles files = TestbenchFilesOf(design, extension);
    const std::string script = RerunScriptName(design);
    const std::string name = SimulatorName(simulator);
    std::string tools;
    for (const std::string& program : SimulatorPrograms(simulator))
        tools += ToolCheck(program);
    std::string ports;
    for (const DesignPort& port : plan.outputs)
        ports += (ports.empty() ? "" : " ") + port.name;
    std::string text = ScriptHeader(design, extension, files, name)
        + "set -u\n"
          "script="
        + ShellQuoted(script)
        + "\n"
          "here=$(cd \"$(dirname \"$0\")\" && pwd) || exit 2\n"
        + tools
        + "# The simulation runs in a folder of its own, where the design's folder is src and the\n"
          "# testbench reads its stimulus and writes its record and waveform.\n"
          "build=$(mktemp -d \"${TMPDIR:-/tmp}\"/"
        + ShellQuoted(design + "_sim.XXXXXX")
        + ") || exit 2\n"
          "trap 'rm -rf \"$build\"' EXIT\n"
          "trap 'exit 130' INT\n"
          "trap 'exit 143' TERM\n"
          "rm -f \"$here\"/"
        + ShellQuoted(files.record) + " \"$here\"/" + ShellQuoted(files.waveform)
        + "\n"
          "ln -s \"$here\" \"$build/src\" && ln -s "
        + ShellQuoted("src/" + files.stimulus) + " \"$build\"/" + ShellQuoted(files.stimulus)
        + " || exit 2\n"
          "simulate() {\n"
          "    cd \"$build\" &&\n"
        + SimulationCommands(plan, design, files, simulator, sources)
        + "}\n"
          "if ! (simulate); then\n"
          "    echo \"$script: the simulation with "
        + name
        + " failed\" >&2\n"
          "    exit 2\n"
          "fi\n"
          "mv \"$build\"/"
        + ShellQuoted(files.record) + " \"$build\"/" + ShellQuoted(files.waveform)
        + " \"$here\"/ || exit 2\n"
          "awk -v script=\"$script\" -v ports="
        + ShellQuoted(ports) + " -v expected=\"$here\"/" + ShellQuoted(ExpectedOutputsName(design)) + " '"
        + kCheckProgram + "' \"$here\"/" + ShellQuoted(files.record) + "\n";
    return text;
}
