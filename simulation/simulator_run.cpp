#include "simulation/simulator_run.h"

#include "platform/path_lookup.h"
#include "platform/path_split.h"
#include "platform/printable_text.h"
#include "platform/run_step.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

std::string SimulatorPackage(const std::string& program)
{
    return program == "vvp" ? "iverilog" : program;
}

std::vector<std::string> GhdlEnvironment(std::int64_t edges)
{
    // The LLVM build takes some 3 s more and then runs about 1.5 times as fast.
    constexpr std::int64_t kLlvmFromEdges = 500000;
    // A back end the user chose stays chosen.
    if (edges < kLlvmFromEdges || std::getenv("GHDL_BACKEND") != nullptr || FindOnPath("ghdl-llvm").empty())
        return {};
    return {"GHDL_BACKEND=llvm"};
}

bool LinkSources(const std::vector<std::string>& sources, const std::string& work, std::vector<std::string>& linked,
                 std::string& error)
{
    const std::string folder = work + "/src";
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot make the simulation's source folder: " + std::string(std::strerror(errno));
        return false;
    }
    for (const std::string& source : sources) {
        const std::string name = "src/" + std::filesystem::path(source).filename().string();
        if (std::find(linked.begin(), linked.end(), name) != linked.end()) {
            error = "two of the simulation's sources are named " + PrintableText(name.substr(4));
            return false;
        }
        if (::symlink(AbsolutePath(source).c_str(), (work + "/" + name).c_str()) != 0) {
            error = "cannot link " + PrintableText(source) + " into the simulation's folder: " + std::strerror(errno);
            return false;
        }
        linked.push_back(name);
    }
    return true;
}

std::string SimulatorName(Simulator simulator)
{
    switch (simulator) {
    case Simulator::Ghdl:
        return "ghdl";
    case Simulator::Iverilog:
        return "iverilog";
    case Simulator::Verilator:
        return "verilator";
    case Simulator::Default:
        break;
    }
    return {};
}

bool SimulatorNamed(const std::string& name, Simulator& simulator)
{
    for (const Simulator known : {Simulator::Ghdl, Simulator::Iverilog, Simulator::Verilator}) {
        if (name == SimulatorName(known)) {
            simulator = known;
            return true;
        }
    }
    return false;
}

std::vector<std::string> SimulatorPrograms(Simulator simulator)
{
    switch (simulator) {
    case Simulator::Ghdl:
        return {"ghdl"};
    case Simulator::Iverilog:
        return {"iverilog", "vvp"};
    case Simulator::Verilator:
        return {"verilator", "make"};
    case Simulator::Default:
        break;
    }
    return {};
}

bool RunVerilogSimulation(Simulator simulator, const std::vector<std::string>& sources, const std::string& top,
                          const std::vector<VerilogParameter>& parameters, bool traced, const std::string& work,
                          RunLimits& limits, std::string& error)
{
    if (simulator != Simulator::Verilator) {
        std::vector<std::string> compile{"iverilog", "-g2001", "-o", "simulation.vvp", "-s", top, "-Isrc"};
        for (const auto& [name, value] : parameters)
            compile.push_back("-P" + top + "." + name + "=" + value);
        compile.insert(compile.end(), sources.begin(), sources.end());
        return RunStep(compile, work, limits, error) && RunStep({"vvp", "-n", "simulation.vvp"}, work, limits, error);
    }
    // The library modules carry no `timescale of their own; read in ns, as the testbenches' are,
    // they leave the waveform's unit at the testbench's.
    std::vector<std::string> build{"verilator", "--binary", "-Wno-fatal", "--timescale", "1ns/1ns",      "-j", "2",
                                   "--Mdir",    "obj",      "-o",         "simulation",  "--top-module", top,  "-Isrc"};
    if (traced)
        build.push_back("--trace");
    for (const auto& [name, value] : parameters)
        build.push_back("-G" + name + "=" + value);
    build.insert(build.end(), sources.begin(), sources.end());
    return RunStep(build, work, limits, error) && RunStep({work + "/obj/simulation"}, work, limits, error);
}
