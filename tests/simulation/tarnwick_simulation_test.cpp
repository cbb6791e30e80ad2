// tarnwick --simulate with the built wizard, the library modules in hdl/ and the simulators: every
// variation the pages make simulates without a mismatch against the reference model in both
// languages, a wrong core is caught, and what cannot be simulated fails with status 125.
// Status 77 when ghdl or iverilog is not installed.
#include "tests/support/design_folders.h"
#include "tests/tarnwick/tarnwick_process.h"

#include "core_model/core_settings.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <functional>
#include <memory>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool OnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (::access((folder + "/" + program).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

class TarnwickSimulation : public DesignFoldersTest {
protected:
    ProcessRun Run(const std::vector<std::string>& args, std::map<std::string, std::string> extra = {})
    {
        std::vector<std::string> all{TARNWICK_EXE};
        all.insert(all.end(), args.begin(), args.end());
        extra.emplace("DISPLAY", "");
        extra.emplace("WAYLAND_DISPLAY", "");
        return RunProgram(all, work, extra);
    }

    Json Report(const ProcessRun& run)
    {
        Json report = Json::parse(run.out, nullptr, false);
        EXPECT_FALSE(report.is_discarded()) << run.out << run.err;
        return report;
    }

    // A copy of the library cores in root/name with the first from in module replaced by to, for
    // ZORVEX_HDL_DIR; empty when module holds no from.
    fs::path WrongLibrary(const std::string& name, const std::string& module, const std::string& from,
                          const std::string& to)
    {
        const fs::path wrong = root / name;
        fs::create_directories(wrong);
        for (const auto& entry : fs::directory_iterator(ZORVEX_SOURCE_HDL))
            fs::copy_file(entry.path(), wrong / entry.path().filename());
        std::string text = ReadFileText(wrong / module);
        const size_t at = text.find(from);
        if (at == std::string::npos)
            return {};
        text.replace(at, from.size(), to);
        std::ofstream(wrong / module, std::ios::trunc) << text;
        return wrong;
    }

    // The variables of the VCD's scope, by name.
    static std::vector<std::string> VcdVariables(const fs::path& vcd)
    {
        std::vector<std::string> names;
        std::istringstream in(ReadFileText(vcd));
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            std::string keyword, kind, width, id, name;
            if (words >> keyword >> kind >> width >> id >> name && keyword == "$var")
                names.push_back(name.substr(0, name.find('[')));
            if (Contains(line, "$enddefinitions"))
                break;
        }
        return names;
    }

    // The ports the GTKWave view lists, in its order, without their scope and range.
    static std::vector<std::string> ViewedPorts(const fs::path& view)
    {
        std::vector<std::string> names;
        std::istringstream in(ReadFileText(view));
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '[' || line[0] == '@' || line[0] == '*')
                continue;
            const std::string name = line.substr(0, line.find('['));
            names.push_back(name.substr(name.rfind('.') + 1));
        }
        return names;
    }

    // A variation of the pages: the choices that make it and what it is.
    struct Variation {
        std::vector<std::string> choices;
        bool block; // either kind of block
        bool external;
        bool deinterleaver;
        std::vector<std::string> ports;
    };

    // Simulates the variation c in a design with extension (with simulator, or the language's
    // default when it is empty) and checks the report and the waveform.
    void CheckVariation(const Variation& c, const char* extension, const std::string& simulator)
    {
        std::vector<std::string> args{"-n", "-silent", "--simulate", "--json"};
        if (!simulator.empty())
            args.insert(args.end(), {"--simulator", simulator});
        args.insert(args.end(), c.choices.begin(), c.choices.end());
        const fs::path design = designs / (std::string("f") + extension);
        args.push_back(design.string());
        SCOPED_TRACE(::testing::PrintToString(args));
        const ProcessRun run = Run(args);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const Json report = Report(run);
        ASSERT_TRUE(report.contains("simulation")) << run.out;
        const Json& simulation = report["simulation"];
        const std::string language = extension == std::string(".vhd") ? "ghdl" : "iverilog";
        EXPECT_EQ(simulation["simulator"], simulator.empty() ? language : simulator);
        EXPECT_EQ(simulation["mismatches"], 0) << simulation.dump();
        EXPECT_GT(simulation["checkedValues"].get<long>(), simulation["cycles"].get<long>());
        // Rising edges at 20 + 40k before the vector file's end; clken is high from 160, so the
        // edge at 180, edge 4, takes the first symbol.
        const long end = report["derived"]["vectorEndTime"];
        EXPECT_EQ(simulation["cycles"], (end - 21) / 40 + 1);
        EXPECT_EQ(simulation["symbolsIn"], (end - 21) / 40 - 3);
        EXPECT_EQ(simulation["firstInputCycle"], 4);
        // The zero-delay branch comes out first: the interleaver's branch 0 with the first
        // symbol, the deinterleaver's last branch with symbol I-1; a block only once its first
        // I x J symbols are in. Behind that, the core's own pipeline.
        const bool continuous = report["settings"]["BLOCK_CONTINOUS"] == 1;
        zorvex::core::CoreSettings core;
        core.type = continuous ? zorvex::core::IntType::BlockContinous
            : c.block          ? zorvex::core::IntType::Block
                               : zorvex::core::IntType::Convolutional;
        core.mode = c.deinterleaver ? zorvex::core::IntMode::Deinterleaver : zorvex::core::IntMode::Interleaver;
        const auto memory = c.external ? zorvex::core::MemoryKind::External : zorvex::core::MemoryKind::Internal;
        const long taken = c.block ? core.depth * core.delay : c.deinterleaver ? core.depth - 1 : 0;
        if (!c.external)
            EXPECT_EQ(simulation["firstOutputCycle"], 4 + taken + zorvex::core::PipelineCycles(core, memory) + 1);
        else
            EXPECT_GT(simulation["firstOutputCycle"].get<long>(), 4 + taken);
        // The pair of the design's core returns every symbol after the cores' latency, which
        // with conv_qzram is the one the memory page shows.
        const Json& pair = simulation["pair"];
        EXPECT_EQ(pair["measuredLatencyCycles"], zorvex::core::PairLatencyCycles(core, memory)) << pair.dump();
        EXPECT_EQ(pair["expectedLatencyCycles"], pair["measuredLatencyCycles"]);
        EXPECT_EQ(pair["pageLatencyCycles"], report["derived"]["latencyCycles"]);
        if (!c.external) {
            EXPECT_EQ(pair["measuredLatencyCycles"], report["derived"]["latencyCycles"]);
        }
        EXPECT_GE(pair["symbolsChecked"].get<long>(), 2 * core.depth * core.delay);
        EXPECT_EQ(pair["mismatches"], 0);
        const fs::path vcd = designs / "f.vcd";
        EXPECT_EQ(simulation["vcd"], vcd.string());
        EXPECT_EQ(simulation["vcdBytes"], fs::file_size(vcd));
        std::vector<std::string> dumped = VcdVariables(vcd);
        std::vector<std::string> ports = c.ports;
        std::sort(dumped.begin(), dumped.end());
        std::sort(ports.begin(), ports.end());
        EXPECT_EQ(dumped, ports);
        // The view lists them in the design's order, whichever order the simulator dumped them in.
        EXPECT_EQ(ViewedPorts(designs / "f.gtkw"), c.ports);
    }
};

TEST_F(TarnwickSimulation, EveryVariationThePagesMakeMatchesTheModelInBothLanguages)
{
    const std::vector<std::string> stream = {"clock", "sync_in", "clken", "din", "dout", "sync_out"};
    const std::vector<std::string> blockStream = {"clock", "sync_in", "clken", "din", "dout", "next_din", "dout_valid"};
    const std::vector<std::string> addresses = {"clock", "sync_in", "clken", "sync_out", "read_addr", "write_addr"};
    const std::vector<std::string> blockAddresses = {"clock",        "sync_in", "clken",     "write_enable",
                                                     "addr",         "block_full", "block_empty"};
    const Variation cases[] = {
        {{}, false, false, false, stream},
        {{"--algorithm", "block"}, true, false, false, blockStream},
        {{"--memory", "external"}, false, true, false, addresses},
        {{"--algorithm", "block", "--memory", "external"}, true, true, false, blockAddresses},
        {{"--direction", "deinterleaver"}, false, false, true, stream},
        {{"--algorithm", "block", "--direction", "deinterleaver"}, true, false, true, blockStream},
        {{"--memory", "external", "--direction", "deinterleaver"}, false, true, true, addresses},
        {{"--algorithm", "block", "--memory", "external", "--direction", "deinterleaver"}, true, true, true,
         blockAddresses},
        // One-bit symbols: a bus of one bit in the design file, the module and the testbench.
        {{"--set", "W=1"}, false, false, false, stream},
        // A continuous block, whose address width the wizard keeps from before (12, where genaddr
        // needs 9: the design drives the upper bits 0).
        {{"--set", "BLOCK_CONTINOUS=1"}, true, false, false, stream},
        {{"--set", "BLOCK_CONTINOUS=1", "--memory", "external", "--direction", "deinterleaver"}, true, true, true,
         addresses},
    };
    for (const char* extension : {".vhd", ".v"}) {
        for (const Variation& c : cases)
            CheckVariation(c, extension, "");
    }
    // Verilator builds a program for each simulation, some seconds each: the convolutional and the
    // block core in both directions and with either memory.
    if (OnPath("verilator")) {
        for (const size_t k : {0, 3, 4, 10})
            CheckVariation(cases[k], ".v", "verilator");
    }
}

TEST_F(TarnwickSimulation, TheTextReportSaysWhatTheSimulationShowed)
{
    const fs::path temporary = root / "tmp";
    fs::create_directories(temporary);
    // tarnwick's private folders in TMPDIR while it runs: the design's simulation's and the pair's,
    // which runs beside it, and no other.
    std::atomic<bool> ended{false};
    std::ptrdiff_t mostFolders = 0;
    std::thread watcher([&] {
        while (!ended) {
            std::error_code error;
            std::ptrdiff_t folders = 0;
            for (const auto& entry : fs::directory_iterator(temporary, error))
                folders += entry.path().filename().string().rfind("tarnwick-", 0) == 0;
            mostFolders = std::max(mostFolders, folders);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    // --progress: its lines whatever standard error is, here a pipe.
    const ProcessRun run = Run({"-n", "-silent", "--simulate", "--progress", (designs / "f.v").string()},
                               {{"TMPDIR", temporary.string()}});
    ended = true;
    watcher.join();
    EXPECT_GE(mostFolders, 1);
    EXPECT_LE(mostFolders, 2);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "simulation with iverilog: 6750 cycles, 6746 symbols in, ")) << run.out;
    EXPECT_TRUE(Contains(run.out, "first input in cycle 4, first output in cycle 8\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, " output values checked against the reference model, 0 mismatches\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "  waveform: " + (designs / "f.vcd").string() + " (")) << run.out;
    EXPECT_TRUE(Contains(run.out, "  interleaver -> deinterleaver pair, 3074 cycles: latency 2250 cycles measured, "
                                  "2250 expected, the memory page shows 2250\n"
                                  "  824 symbols through the pair checked, 0 not returned unchanged\n"))
        << run.out;
    // The simulation's private folder is gone.
    EXPECT_TRUE(fs::is_empty(temporary));
    EXPECT_TRUE(Contains(run.err, " s  design simulation\n")) << run.err;
    EXPECT_TRUE(Contains(run.err, " s  interleaver -> deinterleaver pair\n")) << run.err;
}

TEST_F(TarnwickSimulation, AWrongCoreIsReportedWithItsFirstMismatch)
{
    // The zero-delay branch taken from din instead of its register: each of its symbols a cycle early.
    struct Case {
        const char* extension;
        const char* module;
        std::string from;
        std::string to;
    };
    const Case cases[] = {
        {".vhd", "conv_qzram.vhd", "passed_q <= din_q;", "passed_q <= din;"},
        {".v", "conv_qzram.v", "passed_q <= din_q;", "passed_q <= din;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module);
        const fs::path wrong = WrongLibrary(std::string("wrong-hdl") + c.extension, c.module, c.from, c.to);
        ASSERT_FALSE(wrong.empty());
        const ProcessRun run = Run({"-n", "-silent", "--simulate", "--testbench", "--json", (designs / (std::string("f") + c.extension)).string()},
                                   {{"ZORVEX_HDL_DIR", wrong.string()}});
        EXPECT_EQ(run.exitStatus, 125) << run.err;
        const Json report = Report(run);
        EXPECT_EQ(report["outcome"], "failed");
        // The testbench is kept with the design's files or not at all.
        EXPECT_FALSE(fs::exists(designs / "f_sim.sh") || fs::exists(designs / (std::string("f_tb") + c.extension)));
        EXPECT_FALSE(report["simulation"].contains("testbench"));
        const Json& simulation = report["simulation"];
        EXPECT_GT(simulation["mismatches"].get<long>(), 0);
        // The first symbol out is the first one wrong.
        EXPECT_EQ(simulation["firstMismatch"]["cycle"], simulation["firstOutputCycle"]);
        EXPECT_EQ(simulation["firstMismatch"]["port"], "dout");
        EXPECT_TRUE(Contains(report["error"], "output values differ from the reference model")) << report.dump();
        EXPECT_TRUE(Contains(run.err, "tarnwick: simulation: ")) << run.err;
    }
}

TEST_F(TarnwickSimulation, AWrongDeinterleaverBehindARightInterleaverFailsThePair)
{
    // One pipeline stage more in the deinterleaver only: the interleaver design itself is right.
    struct Case {
        const char* extension;
        const char* module;
        std::string from;
        std::string to;
    };
    const Case cases[] = {
        {".vhd", "conv_qzram.vhd", "        return n;", "        if INT_MODE = \"DEINTERLEAVER\" then\n"
                                                      "            n := n + 1;\n        end if;\n        return n;"},
        {".v", "conv_qzram.v", "+ (IS_INT ? 1 : 0);", "+ 1;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module);
        const fs::path wrong = WrongLibrary(std::string("wrong-pair") + c.extension, c.module, c.from, c.to);
        ASSERT_FALSE(wrong.empty());
        const ProcessRun run = Run({"-n", "-silent", "--simulate", "--json", (designs / (std::string("f") + c.extension)).string()},
                                   {{"ZORVEX_HDL_DIR", wrong.string()}});
        EXPECT_EQ(run.exitStatus, 125) << run.err;
        const Json report = Report(run);
        EXPECT_EQ(report["simulation"]["mismatches"], 0);
        EXPECT_EQ(report["simulation"]["pair"]["measuredLatencyCycles"], 2251);
        EXPECT_EQ(report["error"], "simulation: the interleaver -> deinterleaver pair has a latency of 2251 cycles, "
                                   "not the cores' 2250; the design's files are as they were");
        // Simulated before it was installed: a failed check changes nothing.
        EXPECT_TRUE(report["changed"].empty()) << report.dump();
        EXPECT_FALSE(fs::exists(designs / (std::string("f") + c.extension)));
    }
}

// --testbench keeps what reruns without tarnwick: the script passes on the design as it was
// simulated, checking as many values as tarnwick did, and names the first mismatch once the core
// beside the design is wrong. --simulate-only copies the library files it simulated with beside the
// design when they are not there.
TEST_F(TarnwickSimulation, TheKeptTestbenchRerunsWithoutTarnwickAndCatchesAWrongCore)
{
    struct Case {
        const char* simulator;
        const char* extension;
        bool simulateOnly;
        std::vector<std::string> library; // the design's library files
    };
    const Case cases[] = {
        {"ghdl", ".vhd", false, {"conv_qzram.vhd", "qz_addrgen.vhd", "qz_sizes.vhd"}},
        {"iverilog", ".v", true, {"conv_qzram.v", "qz_addrgen.v", "qz_functions.vh"}},
        {"verilator", ".v", false, {"conv_qzram.v", "qz_addrgen.v", "qz_functions.vh"}},
    };
    for (const Case& c : cases) {
        if (!OnPath(c.simulator))
            continue;
        SCOPED_TRACE(c.simulator);
        const fs::path folder = designs / c.simulator;
        fs::create_directories(folder);
        const fs::path design = folder / (std::string("f") + c.extension);
        std::vector<std::string> args{"--simulate", "--testbench", "--json", "--simulator", c.simulator};
        if (c.simulateOnly) {
            ASSERT_EQ(Run({"-n", "-silent", design.string()}).exitStatus, 0);
            for (const std::string& file : c.library)
                fs::remove(folder / file);
            args[0] = "--simulate-only";
        } else {
            args.insert(args.begin(), {"-n", "-silent"});
        }
        args.push_back(design.string());
        const ProcessRun run = Run(args);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const Json report = Report(run);
        const Json& simulation = report["simulation"];
        const fs::path script = folder / "f_sim.sh";
        ASSERT_TRUE(simulation.contains("testbench")) << run.out;
        EXPECT_EQ(simulation["testbench"].back(), script.string());
        for (const std::string& file : c.library)
            EXPECT_TRUE(fs::exists(folder / file)) << file;

        // Run from another folder, with nothing of tarnwick's on PATH.
        const std::map<std::string, std::string> path{{"PATH", "/usr/local/bin:/usr/bin:/bin"}};
        const ProcessRun rerun = RunProgram({script.string()}, work, path);
        EXPECT_EQ(rerun.exitStatus, 0) << rerun.out << rerun.err;
        // After what the simulator says.
        EXPECT_TRUE(Contains(rerun.out, "f_sim.sh: " + std::to_string(simulation["checkedValues"].get<long>())
                                            + " output values checked against the reference model, 0 mismatches\n"))
            << rerun.out << rerun.err;
        EXPECT_TRUE(fs::exists(folder / "f_record.txt") && fs::exists(folder / "f_sim.vcd"));

        // The zero-delay branch taken from din instead of its register: the first symbol out is
        // the first one wrong.
        const fs::path module = folder / c.library[0];
        std::string text = ReadFileText(module);
        const size_t at = text.find("passed_q <= din_q;");
        ASSERT_NE(at, std::string::npos);
        text.replace(at, 18, "passed_q <= din;");
        std::ofstream(module, std::ios::trunc) << text;
        const ProcessRun wrong = RunProgram({script.string()}, work, path);
        EXPECT_EQ(wrong.exitStatus, 1) << wrong.out << wrong.err;
        EXPECT_TRUE(Contains(wrong.err, "f_sim.sh: ")
                    && Contains(wrong.err, " output values differ from the reference model; first mismatch in cycle "
                                    + std::to_string(simulation["firstOutputCycle"].get<long>()) + ": dout is "))
            << wrong.err;
    }
}

TEST_F(TarnwickSimulation, WhatCannotBeSimulatedFailsWithStatus125)
{
    const std::string design = (designs / "f.vhd").string();
    ASSERT_EQ(Run({"-n", "-silent", design}).exitStatus, 0);
    ASSERT_EQ(Run({"--simulate-only", design}).exitStatus, 0);
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::map<std::string, std::string> environment;
        std::string message;
    };
    const std::string vec = (work / "f.vec").string();
    const std::string good = ReadFileText(vec);
    const Case cases[] = {
        {"no simulator", [] {}, {{"PATH", "/nonexistent"}},
         "simulation: the simulator ghdl is not on PATH; install the Debian package ghdl to simulate " + design},
        {"no design file", [&] { fs::rename(design, design + ".away"); }, {},
         "simulation: the design file " + design + " is not there to simulate"},
        {"a vector file that does not parse", [&] { std::ofstream(vec, std::ios::trunc) << "START 0;\nSTOP x;\n"; }, {},
         "simulation: ./f.vec:2:6: expected a time, found 'x'"},
        {"no vector file", [&] { fs::remove(vec); }, {},
         "simulation: there is no vector file ./f.vec: the wizard writes it in the folder it runs in"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        const ProcessRun run = Run({"--simulate-only", "--json", design}, c.environment);
        EXPECT_EQ(run.exitStatus, 125);
        const Json report = Report(run);
        EXPECT_EQ(report["outcome"], "failed");
        EXPECT_EQ(report["error"], c.message);
        EXPECT_FALSE(report.contains("simulation"));
        if (fs::exists(design + ".away"))
            fs::rename(design + ".away", design);
        std::ofstream(vec, std::ios::trunc) << good;
    }
    const ProcessRun again = Run({"--simulate-only", "--json", design});
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_EQ(Report(again)["outcome"], "simulated");
}

TEST_F(TarnwickSimulation, ASimulationItsFolderHasNoRoomForIsNotStarted)
{
    // A TMPDIR on a file system of 256 KiB, mounted in a namespace of tarnwick's own.
    const fs::path tiny = root / "tiny";
    fs::create_directories(tiny);
    const std::string probe = "unshare --user --map-root-user --mount sh -c 'mount -t tmpfs -o size=256k tmpfs \"$0\"' '"
        + tiny.string() + "' >/dev/null 2>&1";
    if (std::system(probe.c_str()) != 0)
        GTEST_SKIP() << "no file system can be mounted in a namespace here";
    const std::string design = (designs / "f.vhd").string();
    ASSERT_EQ(Run({"-n", "-silent", design}).exitStatus, 0);
    const ProcessRun run = RunProgram(
        {"/usr/bin/unshare", "--user", "--map-root-user", "--mount", "sh", "-c",
         "mount -t tmpfs -o size=256k tmpfs \"$0\" && exec \"$@\"", tiny.string(), TARNWICK_EXE, "--simulate-only",
         "--json", design},
        work, {{"TMPDIR", tiny.string()}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}});
    EXPECT_EQ(run.exitStatus, 125) << run.err;
    const Json report = Report(run);
    const std::string error = report.value("error", "");
    EXPECT_TRUE(Contains(error, " MiB for its stimulus, record and waveform in " + tiny.string())) << error;
    EXPECT_TRUE(Contains(error, "which has 0 MiB free")) << error;
    EXPECT_FALSE(report.contains("simulation"));
}

} // namespace

int main(int argc, char** argv)
{
    for (const char* tool : {"ghdl", "iverilog", "vvp"}) {
        if (!OnPath(tool)) {
            std::printf("%s is not installed: skipped\n", tool);
            return 77;
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

TEST_F(TarnwickSimulation, UnusualFoldersSimulateAndWhatCannotBeSimulatedIsRefusedBeforeTheWizard)
{
    // A folder name with a line end and a relative TMPDIR simulate like any other.
    const fs::path odd = work / "new\nline";
    fs::create_directories(odd);
    fs::create_directories(work / "tmp");
    const ProcessRun simulated = Run({"-n", "-silent", "--simulate", "--json", (odd / "f.v").string()},
                                     {{"TMPDIR", "tmp"}});
    EXPECT_EQ(simulated.exitStatus, 0) << simulated.err;
    EXPECT_TRUE(fs::exists(odd / "f.vcd"));
    EXPECT_TRUE(fs::is_empty(work / "tmp"));

    struct Case {
        const char* what;
        std::string design;
        std::string simulator;
        std::map<std::string, std::string> environment;
        std::string message;
    };
    const std::string vhdl = (designs / "g.vhd").string();
    const std::string verilog = (designs / "g.v").string();
    // vvp comes in iverilog's package: a PATH with only iverilog on it is missing that package.
    const fs::path iverilogOnly = work / "iverilog_only";
    fs::create_directories(iverilogOnly);
    std::ofstream(iverilogOnly / "iverilog") << "#!/bin/sh\nexit 1\n";
    fs::permissions(iverilogOnly / "iverilog", fs::perms::owner_all);
    const Case cases[] = {
        {"a design named like a library unit, in another case", (designs / "QZ_AddrGen.vhd").string(), "", {},
         "the design's name is the library unit qz_addrgen's, whose copy beside the design would take the "
         "design file's place; name it otherwise"},
        {"no simulator", vhdl, "", {{"PATH", "/nonexistent"}},
         "--simulate: the simulator ghdl is not on PATH; install the Debian package ghdl to simulate " + vhdl},
        {"no Verilator", verilog, "verilator", {{"PATH", "/nonexistent"}},
         "--simulate: the simulator verilator is not on PATH; install the Debian package verilator to simulate "
             + verilog},
        {"iverilog without its vvp", verilog, "", {{"PATH", iverilogOnly.string()}},
         "--simulate: the simulator vvp is not on PATH; install the Debian package iverilog to simulate " + verilog},
        {"a design the simulators do not read", (designs / "g.tdf").string(), "", {},
         "--simulate: only a .vhd or .v design file can be simulated, not " + (designs / "g.tdf").string()},
        {"VHDL in Verilator", vhdl, "verilator", {},
         "--simulate: the simulator verilator reads Verilog only; a .vhd design file is simulated with ghdl, not "
             + vhdl},
        {"a TMPDIR the tools cannot take", verilog, "", {{"TMPDIR", "/tmp/with blank"}},
         "--simulate: TMPDIR /tmp/with blank holds a blank, a quote, a line end or another character that the "
         "simulators and the synthesis tools cannot take in a path; set TMPDIR to a folder whose path has only "
         "letters, digits and / . _ - + , @"},
        {"Verilog in ghdl", verilog, "ghdl", {},
         "--simulate: the simulator ghdl reads VHDL only; a .v design file is simulated with iverilog or "
         "verilator, not " + verilog},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args{"-n", "-silent", "--simulate", "--json", c.design};
        if (!c.simulator.empty())
            args.insert(args.begin(), {"--simulator", c.simulator});
        const ProcessRun run = Run(args, c.environment);
        EXPECT_EQ(run.exitStatus, 125);
        const Json report = Report(run);
        EXPECT_EQ(report["outcome"], "refused");
        EXPECT_EQ(report["error"], c.message);
        EXPECT_TRUE(report["changed"].empty());
        EXPECT_FALSE(fs::exists(fs::path(c.design).replace_extension(".cnx")));
    }
}

TEST_F(TarnwickSimulation, TheDesignStaysLockedWhileItIsSimulatedAndASignalEndsTheSimulatorChangingNothing)
{
    // Large enough that the simulator still runs when the signal comes.
    const fs::path design = designs / "h.v";
    std::vector<std::string> all{TARNWICK_EXE, "-n", "-silent", "--set", "I=40", "--set", "J=500", "--simulate",
                                 "--json", design.string()};
    const fs::path out = root / "signal.json";
    const pid_t tarnwick = ::fork();
    ASSERT_GE(tarnwick, 0);
    if (tarnwick == 0) {
        ::setpgid(0, 0);
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 1);
        if (::chdir(work.c_str()) != 0)
            ::_exit(127);
        std::vector<char*> argv;
        for (std::string& arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    // Whatever the test decides, tarnwick's group does not outlive it (an orphan would hold the
    // test's output open and write into a folder the fixture removes).
    bool reaped = false;
    const std::shared_ptr<void> endGroup(nullptr, [&](void*) {
        if (!reaped) {
            ::kill(-tarnwick, SIGKILL);
            ::waitpid(tarnwick, nullptr, 0);
        }
    });
    // Wait for the simulator (a grandchild of tarnwick) to be running, then ask tarnwick to end. What
    // comes before it (the wizard, the stimulus, the compiler) takes a minute and more in a
    // sanitizer build, so the wait is bounded only by tarnwick ending first.
    pid_t simulator = 0;
    int status = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(8);
    while (simulator == 0 && !reaped && std::chrono::steady_clock::now() < giveUp) {
        ::usleep(100000);
        // The simulator runs under the supervisor of its step, a child of tarnwick.
        FILE* found = ::popen(
            ("pgrep -x vvp -P \"$(pgrep -d, -P " + std::to_string(tarnwick) + ")\" 2>/dev/null").c_str(), "r");
        if (found != nullptr) {
            int pid = 0;
            if (std::fscanf(found, "%d", &pid) == 1)
                simulator = pid;
            ::pclose(found);
        }
        reaped = simulator == 0 && ::waitpid(tarnwick, &status, WNOHANG) == tarnwick;
    }
    ASSERT_NE(simulator, 0) << "vvp never ran; tarnwick " << (reaped ? "ended with " + ReadFileText(out) : "ran on");
    // The design stays locked while it is simulated: another run on it is turned away.
    const ProcessRun other = Run({"--simulate-only", "--lock-timeout", "0", "--json", design.string()});
    EXPECT_EQ(other.exitStatus, 125);
    EXPECT_TRUE(Contains(Report(other)["error"], "is in use")) << other.out;
    ::kill(tarnwick, SIGTERM);
    ASSERT_EQ(::waitpid(tarnwick, &status, 0), tarnwick);
    reaped = true;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    const Json report = Json::parse(ReadFileText(out), nullptr, false);
    ASSERT_FALSE(report.is_discarded());
    EXPECT_EQ(report["exitStatus"], 128 + SIGTERM);
    EXPECT_TRUE(report["changed"].empty());
    EXPECT_FALSE(fs::exists(designs / "h.cnx"));
    // The simulator did not outlive tarnwick.
    EXPECT_NE(::kill(simulator, 0), 0);
}
