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
// memory) has none. A .vhd design's core is synthesised from its Verilog twin all the same.
TEST_F(TarnwickSynthesis, ASmallCoreGivesPlausibleFiguresInEitherLanguage)
{
    struct Case {
        std::string design;
        std::vector<std::string> choices;
        std::string module;
        bool memory;
    };
    const Case cases[] = {
        {"s.v", {}, "conv_qzram", true},
        {"s.vhd", {"--memory", "external"}, "genaddr", false},
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
        EXPECT_EQ(synthesis["device"], "iCE40 HX8K (ct256)");
        EXPECT_EQ(synthesis["fits"], true);
        EXPECT_GT(synthesis["flipFlops"].get<int>(), 0);
        EXPECT_GE(synthesis["luts"].get<int>(), synthesis["flipFlops"].get<int>());
        if (c.memory)
            EXPECT_GE(synthesis["ramBlocks"].get<int>(), 1);
        else
            EXPECT_EQ(synthesis["ramBlocks"].get<int>(), 0);
        EXPECT_EQ(synthesis["ramBlocksAvailable"], 32);
        EXPECT_GT(synthesis["fmaxMHz"].get<double>(), 20.0);
        EXPECT_LT(synthesis["fmaxMHz"].get<double>(), 500.0);
        EXPECT_TRUE(fs::exists(designs / (fs::path(c.design).stem().string() + ".cnx")));
    }
}

// I = 40, J = 500, W = 8 keeps 40 * 39 * 500 / 2 words of 8 bits, 3120000 bits: at least 762 of
// the 4096-bit blocks where the device has 32. That is the variation's figure, not a failure: the
// design is installed, and no tool runs (a yosys that fails stands on PATH).
TEST_F(TarnwickSynthesis, ACorePastTheDevicesRamDoesNotFitAndTheDesignIsInstalled)
{
    const ProcessRun run = Run({"-n", "-silent", "--synthesize", "--set", "I=40", "--set", "J=500",
                                (designs / "big.v").string()},
                               {{"PATH", ToolsWithout(true)}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "synthesis of conv_qzram (its Verilog source) for the iCE40 HX8K (ct256): does "
                                  "not fit: it needs at least 762 RAM blocks and the device has 32\n"))
        << run.out;
    EXPECT_TRUE(fs::exists(designs / "big.cnx"));
    EXPECT_TRUE(fs::exists(designs / "big.v"));
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
