#include "simulation/waveform_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

// A waveform is kept only when it reaches the vector file's STOP, in either simulator's timescale.
TEST(WaveformFile, IsWholeOnlyWhenItReachesStop)
{
    struct Case {
        const char* what;
        std::string text;
        bool whole;
    };
    const std::string head = "$date today $end\n$timescale\n  1 fs\n$end\n$enddefinitions $end\n#0\n1!\n";
    const Case cases[] = {
        {"ghdl's femtoseconds up to STOP", head + "#150000000\n0!\n#200000000\n", true},
        {"cut short before STOP", head + "#150000000\n0!\n#1999", false},
        {"iverilog's nanoseconds", "$timescale 1ns $end\n#0\n1!\n#200\n", true},
        {"nanoseconds short of STOP", "$timescale 1ns $end\n#0\n1!\n#199\n1!\n", false},
        {"no timescale", "#0\n#200\n", false},
        {"empty", "", false},
    };
    const std::string path = std::filesystem::temp_directory_path() / ("waves-" + std::to_string(::getpid()) + ".vcd");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(path, std::ios::trunc) << c.text;
        std::string error;
        EXPECT_EQ(WaveformIsWhole(path, 200, error), c.whole) << error;
        if (!c.whole) {
            EXPECT_NE(error.find("it was not kept"), std::string::npos) << error;
        }
    }
    std::filesystem::remove(path);
}

// A simulator's femtoseconds become nanoseconds, as the vector file counts time, and the GTKWave
// view lists the first scope's variables in their order, bits in binary and buses in decimal.
TEST(WaveformFile, IsKeptInNanosecondsWithAViewOfThePortsInOrder)
{
    const std::string path = std::filesystem::temp_directory_path() / ("view-" + std::to_string(::getpid()) + ".vcd");
    std::ofstream(path, std::ios::trunc)
        << "$timescale\n  1 fs\n$end\n$scope module tb_f $end\n$var reg 1 ! clock $end\n"
           "$var reg 8 $ din [7:0] $end\n$var reg 1 & sync_out $end\n$upscope $end\n$enddefinitions $end\n"
           "#0\n1!\nb101 $\n#20000000\n0!\n#40000000\n1!\n";
    std::string error;
    ASSERT_TRUE(WaveformInNanoseconds(path, error)) << error;
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("$timescale 1ns $end\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n#20\n0!\n#40\n1!\n"), std::string::npos) << text;
    EXPECT_TRUE(WaveformIsWhole(path, 40, error)) << error;

    const std::string view = GtkwaveSaveFile(path, "/designs/f.vcd", {});
    EXPECT_NE(view.find("[dumpfile] \"/designs/f.vcd\"\n"), std::string::npos) << view;
    EXPECT_NE(view.find("\n@28\ntb_f.clock\n@24\ntb_f.din[7:0]\n@28\ntb_f.sync_out\n"), std::string::npos) << view;

    // A testbench inside a scope of the simulator's own is named by its whole path.
    std::ofstream(path, std::ios::trunc) << "$timescale 1ns $end\n$scope module TOP $end\n$scope module tb_f $end\n"
                                            "$var wire 1 # clken $end\n$upscope $end\n$upscope $end\n"
                                            "$enddefinitions $end\n#0\n1#\n#40\n";
    const std::string nested = GtkwaveSaveFile(path, "/designs/f.vcd", {});
    EXPECT_NE(nested.find("[treeopen] TOP.\n[treeopen] TOP.tb_f.\n@28\nTOP.tb_f.clken\n"), std::string::npos) << nested;
    // A path no line can carry is left out rather than cut; every line is still one of the file's.
    for (const std::string folder : {"/line\nend", "/quote\"d", "/cr\rx"}) {
        const std::string view = GtkwaveSaveFile(path, folder + "/f.vcd", {});
        EXPECT_EQ(view.find("[dumpfile]"), std::string::npos) << view;
        EXPECT_EQ(view.find(folder.substr(1)), std::string::npos) << view;
        EXPECT_EQ(view.rfind("[*] GTKWave view", 0), 0u) << view;
    }
    std::filesystem::remove(path);
}

// The view lists the ports in the design's order whatever order the simulator wrote them in
// (Verilator's is alphabetical), marks the first input and the first output and opens on the
// window around them, all in the dump's own unit: a dump with times between whole nanoseconds
// stays in picoseconds. Zooming out from the window reaches the whole run.
TEST(WaveformFile, ViewOpensOnTheFirstOutputWithItsEdgesMarkedAndThePortsInOrder)
{
    const std::string path = std::filesystem::temp_directory_path() / ("marks-" + std::to_string(::getpid()) + ".vcd");
    const std::string dump = "$timescale 1ps $end\n$scope module TOP $end\n$scope module tb_f $end\n"
                             "$var wire 1 # clock $end\n$var wire 8 $ din [7:0] $end\n$var wire 8 % dout [7:0] $end\n"
                             "$var wire 1 & sync_in $end\n$upscope $end\n$upscope $end\n$enddefinitions $end\n"
                             "#0\n1#\n#1500\n0#\n#2560000\n";
    std::ofstream(path, std::ios::trunc) << dump;
    std::string error;
    ASSERT_TRUE(WaveformInNanoseconds(path, error)) << error;
    std::ifstream in(path);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), dump);

    WaveformView view;
    view.ports = {"clock", "sync_in", "din", "dout"};
    view.firstInput = 160;
    view.firstOutput = 1000;
    view.windowStart = 640;
    view.windowEnd = 1920;
    const std::string text = GtkwaveSaveFile(path, "/designs/f.vcd", view);
    EXPECT_NE(text.find("\n@28\nTOP.tb_f.clock\nTOP.tb_f.sync_in\n@24\nTOP.tb_f.din[7:0]\nTOP.tb_f.dout[7:0]\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\n[timestart] 640000\n"), std::string::npos) << text;
    std::string marks = " -1 160000 1000000";
    for (int unnamed = 2; unnamed < 26; ++unnamed)
        marks += " -1";
    marks += "\n[markername] Afirst input\n[markername] Bfirst output\n";
    EXPECT_NE(text.find(marks), std::string::npos) << text;

    // The whole run is twice the window: one step of GTKWave's zoom further out.
    const auto zoom = [](const std::string& saved) { return std::stod(saved.substr(saved.find("\n*") + 2)); };
    view.windowStart.reset();
    view.windowEnd.reset();
    const std::string whole = GtkwaveSaveFile(path, "/designs/f.vcd", view);
    EXPECT_NE(whole.find("\n[timestart] 0\n"), std::string::npos) << whole;
    EXPECT_NEAR(zoom(whole), zoom(text) - 1, 1e-5) << text << whole;
    std::filesystem::remove(path);
}
