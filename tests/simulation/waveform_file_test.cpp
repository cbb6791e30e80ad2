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
