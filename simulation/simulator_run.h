#pragma once

#include "platform/run_limits.h"

#include <cstdint>
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

// The Debian package that brings one of those programs: the package of its name, vvp in iverilog's.
std::string SimulatorPackage(const std::string& program);

// The variables ghdl's steps run with for a simulation of edges clock edges: its LLVM back end,
// where ghdl-llvm is installed and the run is long enough for the compiled code to win back the
// seconds its build takes, and GHDL_BACKEND does not choose one already; none otherwise.
std::vector<std::string> GhdlEnvironment(std::int64_t edges);

// Links each of sources (paths) into work/src under its own file name, so that the simulators,
// running in work, are handed names they cannot misread whatever folders the files are in; linked
// receives the names relative to work ("src/name"), in order.
bool LinkSources(const std::vector<std::string>& sources, const std::string& work, std::vector<std::string>& linked,
                 std::string& error);

// A Verilog parameter of a testbench's top and its value as Verilog writes it ("5", "\"BLOCK\"").
using VerilogParameter = std::pair<std::string, std::string>;

// Compiles the Verilog sources with the testbench top and runs it in work, each step within limits:
// iverilog and vvp, or Verilator's build and its program. False with the reason when a step fails.
bool RunVerilogSimulation(Simulator simulator, const std::vector<std::string>& sources, const std::string& top,
                          const std::vector<VerilogParameter>& parameters, bool traced, const std::string& work,
                          RunLimits& limits, std::string& error);
