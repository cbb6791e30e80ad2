// tarnwick --synthesize with the built wizard, the library cores and yosys and nextpnr-ice40: a
// small variation's core gives figures in either language, a core past the device's RAM does not
// fit without the tools, and a missing tool is refused before the wizard starts. Status 77 when
// yosys or nextpnr-ice40 is not installed.
#include "tests/support/design_folders.h"
#include "tests/tarnwick/tarnwick_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string OnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

class TarnwickSynthesis : public DesignFoldersTest {
protected:
    ProcessRun Run(const std::vector<std::string>& args, std::map<std::string, std::string> extra = {})
    {
        std::vector<std::string> all{TARNWICK_EXE};
        all.insert(all.end(), args.begin(), args.end());
        extra.emplace("DISPLAY", "");
        extra.emplace("WAYLAND_DISPLAY", "");
        return RunProgram(all, work, extra);
    }

    // A folder for PATH holding nextpnr-ice40, the Verilog simulator where it is installed and,
    // when yosysFails, a yosys that fails at once.
    std::string ToolsWithout(bool yosysFails)
    {
        const fs::path tools = root / "tools";
        fs::create_directories(tools);
        for (const char* tool : {"nextpnr-ice40", "iverilog", "vvp"}) {
            if (!OnPath(tool).empty())
                fs::create_symlink(OnPath(tool), tools / tool);
        }
        if (yosysFails) {
            std::ofstream(tools / "yosys") << "#!/bin/sh\nexit 1\n";
            fs::permissions(tools / "yosys", fs::perms::owner_all);
        }
        return tools.string();
    }
};

// conv_qzram at I = 4, J = 8, W = 4 keeps 48 words of 4 bits in one RAM block; genaddr (external
// memory) has none. A .vhd design's core is synthesised from its Verilog twin all the same. The
// part, target and seed reach nextpnr (the log kept beside the design shows its command line): a
// small core meets 12 MHz on the HX8K, and nothing on an UP5K meets 1000 MHz.
TEST_F(TarnwickSynthesis, ASmallCoreGivesPlausibleFiguresInEitherLanguage)
{
    struct Case {
        std::string design;
        std::vector<std::string> choices;
        std::string module;
        bool memory;
        std::string device, package;
        int ramBlocksAvailable;
        double targetMHz;
        int seed;
        std::string nextpnr; // its command line in the log
    };
    const Case cases[] = {
        {"s.v", {}, "conv_qzram", true, "hx8k", "ct256", 32, 12, 1,
         "nextpnr-ice40 --hx8k --package ct256 --seed 1 --freq 12 "},
        {"s.vhd", {"--memory", "external", "--device", "UP5K", "--freq", "1000", "--seed=7"}, "genaddr", false, "up5k",
         "sg48", 30, 1000, 7, "nextpnr-ice40 --up5k --package sg48 --seed 7 --freq 1000 "},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"-n", "-silent", "--synthesize", "--json", "--set", "I=4", "--set", "J=8",
                                      "--set", "W=4"};
        args.insert(args.end(), c.choices.begin(), c.choices.end());
        args.push_back((designs / c.design).string());
        SCOPED_TRACE(::testing::PrintToString(args));
        const ProcessRun run = Run(args);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const Json report = Json::parse(run.out, nullptr, false);
        ASSERT_TRUE(report.contains("synthesis")) << run.out;
        const Json& synthesis = report["synthesis"];
        EXPECT_EQ(report["outcome"], "finished");
        EXPECT_EQ(synthesis["module"], c.module);
        EXPECT_EQ(synthesis["device"], c.device);
        EXPECT_EQ(synthesis["package"], c.package);
        EXPECT_EQ(synthesis["targetMHz"], c.targetMHz);
        EXPECT_EQ(synthesis["seed"], c.seed);
        EXPECT_EQ(synthesis["timingMet"], c.targetMHz < 100);
        EXPECT_EQ(synthesis["fits"], true);
        EXPECT_GT(synthesis["flipFlops"].get<int>(), 0);
        EXPECT_GE(synthesis["luts"].get<int>(), synthesis["flipFlops"].get<int>());
        if (c.memory)
            EXPECT_GE(synthesis["ramBlocks"].get<int>(), 1);
        else
            EXPECT_EQ(synthesis["ramBlocks"].get<int>(), 0);
        EXPECT_EQ(synthesis["ramBlocksAvailable"], c.ramBlocksAvailable);
        EXPECT_GT(synthesis["fmaxMHz"].get<double>(), 20.0);
        EXPECT_LT(synthesis["fmaxMHz"].get<double>(), 500.0);
        EXPECT_TRUE(fs::exists(designs / (fs::path(c.design).stem().string() + ".cnx")));
        const fs::path log = designs / (fs::path(c.design).stem().string() + "_synthesis.log");
        EXPECT_EQ(synthesis["log"], log.string());
        const std::string logText = ReadFileText(log);
        EXPECT_TRUE(Contains(logText, "==== yosys -s synthesis.ys\n") && Contains(logText, "SYNTH_ICE40")) << logText;
        EXPECT_TRUE(Contains(logText, "==== " + c.nextpnr) && Contains(logText, "Max frequency for clock")) << logText;
    }
}

// I = 40, J = 500, W = 8 keeps 40 * 39 * 500 / 2 words of 8 bits, half the memory page's
// 40 * 39 * 500, 3120000 bits: at least 762 of the 4096-bit blocks where the device has 32. That is
// the variation's figure, not a failure: the design is installed, and no tool runs (a yosys that
// fails stands on PATH). Both reports give the core's memory beside the page's figure; the text
// says the way out.
TEST_F(TarnwickSynthesis, ACorePastTheDevicesRamDoesNotFitAndTheDesignIsInstalled)
{
    const std::vector<std::string> args{"-n", "-silent", "--synthesize", "--set", "I=40", "--set", "J=500",
                                        (designs / "big.v").string()};
    const std::string tools = ToolsWithout(true);
    const ProcessRun run = Run(args, {{"PATH", tools}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "memory: conv_qzram keeps 390000 words of 8 bits (the memory page shows 780000 "
                                  "words), at least 762 of the iCE40 HX8K's 32 RAM blocks: more than it has; with "
                                  "--memory external the core keeps its symbols in a RAM outside the device\n"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "synthesis of conv_qzram (its Verilog source) for the iCE40 HX8K (ct256), seed 1, "
                                  "target 12 MHz: does not fit: it needs at least 762 RAM blocks and the device has "
                                  "32; with --memory external the core keeps its symbols in a RAM outside the "
                                  "device\n"))
        << run.out;
    EXPECT_TRUE(fs::exists(designs / "big.cnx"));
    EXPECT_TRUE(fs::exists(designs / "big.v"));
    EXPECT_TRUE(Contains(ReadFileText(designs / "big_synthesis.log"), "no tool ran"));

    // On another part the blocks are that part's.
    std::vector<std::string> json = args;
    json.insert(json.begin(), {"--json", "--device", "up5k:uwg30"});
    const ProcessRun report = Run(json, {{"PATH", tools}});
    const Json parsed = Json::parse(report.out, nullptr, false);
    ASSERT_TRUE(parsed.is_object()) << report.out;
    EXPECT_EQ(parsed["derived"]["memoryWords"], 780000);
    EXPECT_EQ(parsed["core"], (Json{{"module", "conv_qzram"}, {"memory", "internal"}, {"ramWords", 390000},
                                    {"wordBits", 8}, {"device", "up5k"}, {"ramBlocks", 762},
                                    {"ramBlocksAvailable", 30}}));
    EXPECT_EQ(parsed["synthesis"]["package"], "uwg30");
    EXPECT_EQ(parsed["synthesis"]["ramBlocksAvailable"], 30);
}

// Without yosys nothing starts: the run and --simulate-only are refused naming it, and the design
// has no files.
TEST_F(TarnwickSynthesis, AMissingToolIsRefusedBeforeAnythingRuns)
{
    const std::vector<std::vector<std::string>> requests = {
        {"-n", "-silent", "--synthesize", "--json", (designs / "r.v").string()},
        {"--simulate-only", "--synthesize", "--json", (designs / "r.v").string()},
    };
    for (const std::vector<std::string>& args : requests) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const ProcessRun run = Run(args, {{"PATH", ToolsWithout(false)}});
        fs::remove_all(root / "tools");
        EXPECT_EQ(run.exitStatus, 125);
        const Json report = Json::parse(run.out, nullptr, false);
        ASSERT_TRUE(report.is_object()) << run.out;
        EXPECT_EQ(report["exitStatus"], 125);
        EXPECT_TRUE(Contains(report.value("error", ""), "--synthesize: yosys is not installed")) << run.out;
        EXPECT_FALSE(report.contains("synthesis"));
        EXPECT_FALSE(fs::exists(designs / "r.cnx"));
    }
}

} // namespace

int main(int argc, char** argv)
{
    for (const char* tool : {"yosys", "nextpnr-ice40"}) {
        if (OnPath(tool).empty()) {
            std::printf("%s is not installed: skipped\n", tool);
            return 77;
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
