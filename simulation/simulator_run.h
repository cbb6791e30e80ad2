#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

// The simulators a design is simulated with. Default is ghdl for a .vhd design and iverilog for a
// .v one; Verilator reads Verilog only.
enum class Simulator { Default, Ghdl, Iverilog, Verilator };

// The simulator's name as the command line and the report give it; empty for Default.
std::string SimulatorName(Simulator simulator);

// The simulator the name gives (ghdl, iverilog, verilator); false when it names none of them.
bool SimulatorNamed(const std::string& name, Simulator& simulator);

// The programs the simulator runs: ghdl; iverilog and vvp; verilator and the make its build runs.
std::vector<std::string> SimulatorPrograms(Simulator simulator);

// The program name on PATH, as execvp would find it from the current folder, as an absolute
// path; empty when it is not there.
std::string FindOnPath(const std::string& program);

// The absolute folder temporary folders are made in: TMPDIR, or /tmp without it.
std::string TemporaryBase();

// Whether the tools can be given paths in TemporaryBase: false, with the reason naming TMPDIR,
// when its path holds a blank, a quote, a line end or another character they cannot take.
bool CheckTemporaryBase(std::string& error);

// A folder of its own under TemporaryBase, tarnwick-sim-<stamp>-XXXXXX with the run's stamp, and
// in it tmp, where the tools keep their own temporary files; removed with everything in it when
// this goes.
class TemporaryFolder {
public:
    TemporaryFolder() = default;
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();

    bool Create(std::string& error);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The longest a simulator step runs unless told otherwise: an hour, well past the largest
// variation's simulation.
constexpr int kDefaultStepSeconds = 3600;

// What bounds a run of a simulator: its time, and a descriptor watched while it runs (a signalfd
// of the signals that ask tarnwick to end; -1 for none). A signal read from it is passed to the
// simulator's whole process group, which is then waited for; the signal's number is kept in
// endSignal, and every later step refuses to start.
struct RunLimits {
    std::chrono::seconds timeLimit{kDefaultStepSeconds};
    int signalFd = -1;
    int endSignal = 0;
};

// Runs args in folder (a TemporaryFolder's path), in a process group of its own that ends with
// tarnwick, with its output and errors into folder/log and folder/tmp as its TMPDIR; args[0] is
// looked for on PATH from tarnwick's current folder; true when it exits with 0 within limits. Otherwise error tells which
// step failed (its command line as PrintableText shows it), with the end of what it said, or that
// it ran past the time limit, or the signal that ended it.
bool RunStep(const std::vector<std::string>& args, const std::string& folder, RunLimits& limits, std::string& error);

// Writes text to path whole; false with the reason otherwise.
bool WriteFile(const std::string& path, const std::string& text, std::string& error);

// Links each of sources (paths) into work/src under its own file name, so that the simulators,
// running in work, are handed names they cannot misread whatever folders the files are in;
// linked receives the names relative to work ("src/name"), in order. False with the reason when
// two sources share a name or a link cannot be made.
bool LinkSources(const std::vector<std::string>& sources, const std::string& work, std::vector<std::string>& linked,
                 std::string& error);

// A Verilog parameter of a testbench's top and its value as Verilog writes it ("5", "\"BLOCK\"").
using VerilogParameter = std::pair<std::string, std::string>;

// Compiles the Verilog sources (names in work, the files they include in work/src), the testbench
// module top among them, and runs the simulation in work, each step within limits: iverilog
// -g2001 and vvp, or Verilator's build of a simulation executable in work/obj (its C++ compiled
// with two jobs) and that executable. Warnings do not stop either. Verilator writes a waveform
// the testbench asks for only when traced is set, and reads modules without a `timescale in ns.
// False with the reason when a step fails.
bool RunVerilogSimulation(Simulator simulator, const std::vector<std::string>& sources, const std::string& top,
                          const std::vector<VerilogParameter>& parameters, bool traced, const std::string& work,
                          RunLimits& limits, std::string& error);
