// SynthesizeCore with yosys and nextpnr-ice40 on the library cores in hdl/: small cores give
// figures that fit them and each other, and a missing tool or the time limit fails with the
// reason; a core whose memory is past the device's RAM does not fit without the tools running.
// Status 77 when yosys or nextpnr-ice40 is not installed.
#include "synthesis/core_synthesis.h"

#include "design/library_module.h"
#include "platform/path_lookup.h"
#include "platform/temporary_folder.h"
#include "platform/write_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace std::chrono_literals;
using zorvex::core::CoreSettings;

namespace {

// The core's library file and the files it builds on, as tarnwick hands them over.
std::vector<std::string> CoreSources(const std::string& module)
{
    std::vector<std::string> sources{std::string(ZORVEX_SOURCE_HDL) + "/" + module + ".v"};
    const std::vector<std::string> companions = LibraryModuleCompanions(sources.front());
    sources.insert(sources.end(), companions.begin(), companions.end());
    return sources;
}

CoreSettings Convolutional(int depth, int delay, int width)
{
    CoreSettings core;
    core.type = zorvex::core::IntType::Convolutional;
    core.depth = depth;
    core.delay = delay;
    core.width = width;
    return core;
}

CoreSettings Block(int depth, int delay, int width)
{
    CoreSettings core = Convolutional(depth, delay, width);
    core.type = zorvex::core::IntType::Block;
    return core;
}

RunLimits Within(std::chrono::seconds limit)
{
    RunLimits limits;
    limits.timeLimit = limit;
    return limits;
}

// PATH set to another value while it lives.
class ScopedPath {
public:
    explicit ScopedPath(const std::string& path) : saved_(std::getenv("PATH")) { ::setenv("PATH", path.c_str(), 1); }
    ~ScopedPath() { ::setenv("PATH", saved_.c_str(), 1); }

private:
    std::string saved_;
};

// Every iCE40 logic cell holds one LUT and one flip-flop, so the cells used are at least the
// flip-flops. conv_qzram at I = 4, J = 8, W = 4 keeps I(I-1)J/2 = 48 words of 4 bits, which one
// 4-kbit RAM block holds (at J = 3 its 18 words are left to flip-flops); genaddr has no memory.
TEST(CoreSynthesis, SmallCoresGivePlausibleFigures)
{
    struct Case {
        std::string module;
        CoreSettings core;
        std::int64_t ramBlocks;
    };
    const Case cases[] = {
        {"conv_qzram", Convolutional(4, 8, 4), 1},
        {"genaddr", Convolutional(4, 3, 8), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module);
        TemporaryFolder work;
        std::string error;
        ASSERT_TRUE(work.Create(error)) << error;
        SynthesisOutcome outcome;
        RunLimits limits = Within(120s);
        ASSERT_TRUE(SynthesizeCore(c.module, c.core, CoreSources(c.module), SynthesisTarget(), work.path(), limits,
                                   outcome, error))
            << error;
        EXPECT_EQ(outcome.module, c.module);
        EXPECT_EQ(outcome.shownPart, "iCE40 HX8K (ct256)");
        EXPECT_TRUE(outcome.fits);
        EXPECT_EQ(outcome.ramBlocksAvailable, 32);
        EXPECT_GT(outcome.flipFlops, 0);
        EXPECT_GE(outcome.luts, outcome.flipFlops);
        EXPECT_EQ(outcome.ramBlocks, c.ramBlocks);
        EXPECT_GT(outcome.fmaxMHz, 20.0);
        EXPECT_LT(outcome.fmaxMHz, 500.0);
    }
}

// A missing tool is named, with the Debian package to install, before either runs; a tool past the
// time limit is stopped; ports past the package's pins are named as such.
TEST(CoreSynthesis, FailsWithTheReason)
{
    struct Case {
        std::string onPath; // the one tool left on PATH; empty leaves PATH as it is
        std::chrono::seconds limit;
        std::string reason;
        std::string module = "conv_qzram";
        SynthesisTarget target = {};
    };
    // genaddr's 23 I/O cells fit the LP384's die (56) but not the pins of its smallest package.
    SynthesisTarget qn32;
    qn32.device = "lp384";
    qn32.package = "qn32";
    const Case cases[] = {
        {"nextpnr-ice40", 120s, "yosys is not installed (it is not on PATH); synthesis needs it: install the "
                                "Debian package yosys"},
        {"yosys", 120s, "nextpnr-ice40 is not installed (it is not on PATH); synthesis needs it: install the "
                        "Debian package nextpnr-ice40"},
        {"", 0s, "yosys -s synthesis.ys ran past the time limit of 0 s"},
        {"", 120s, "the core's ports need more pins than the iCE40 LP384 (qn32) has: choose a package with more pins",
         "genaddr", qn32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        TemporaryFolder work, tools;
        std::string error;
        ASSERT_TRUE(work.Create(error) && tools.Create(error)) << error;
        std::string path = std::getenv("PATH");
        if (!c.onPath.empty()) {
            std::filesystem::create_symlink(FindOnPath(c.onPath), tools.path() + "/" + c.onPath);
            path = tools.path();
        }
        const ScopedPath scoped(path);
        SynthesisOutcome outcome;
        RunLimits limits = Within(c.limit);
        EXPECT_FALSE(SynthesizeCore(c.module, CoreSettings(), CoreSources(c.module), c.target, work.path(), limits,
                                    outcome, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        if (!c.onPath.empty()) {
            EXPECT_FALSE(std::filesystem::exists(work.path() + "/yosys.log")) << "yosys ran without its partner";
        }
    }
}

// The HX8K has 32 RAM blocks of 4096 bits. conv_qzram at I = 40, J = 500, W = 8 keeps
// 40 * 39 * 500 / 2 = 390000 words, 3120000 bits, at least 762 blocks; a block core at 40 x 500
// words of 64 bits keeps 1280000 bits, 313 blocks. Neither tool may run: a fake yosys that fails
// stands on PATH. A block core at 32 x 64 words of 64 bits needs exactly the 32 blocks, may fit,
// and so goes to the tools (and fails with the fake yosys). The HX1K has 16 blocks, too few for a
// block core at 40 x 64 words of 32 bits (20 blocks) that the HX8K's would hold.
TEST(CoreSynthesis, AMemoryPastTheDeviceDoesNotFitWithoutTheTools)
{
    SynthesisTarget hx1k;
    hx1k.device = "hx1k";
    hx1k.package = "tq144";
    struct Case {
        CoreSettings core;
        std::int64_t ramBlocks;
        SynthesisTarget target;
        std::int64_t available;
    };
    const Case cases[] = {{Convolutional(40, 500, 8), 762, {}, 32},
                          {Block(40, 500, 64), 313, {}, 32},
                          {Block(32, 64, 64), 32, {}, 32},
                          {Block(40, 64, 32), 20, hx1k, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ramBlocks);
        TemporaryFolder work, tools;
        std::string error;
        ASSERT_TRUE(work.Create(error) && tools.Create(error)) << error;
        ASSERT_TRUE(WriteFile(tools.path() + "/yosys", "#!/bin/sh\nexit 1\n", error)) << error;
        std::filesystem::permissions(tools.path() + "/yosys", std::filesystem::perms::owner_all);
        std::filesystem::create_symlink(FindOnPath("nextpnr-ice40"), tools.path() + "/nextpnr-ice40");
        const ScopedPath scoped(tools.path());
        SynthesisOutcome outcome;
        RunLimits limits = Within(120s);
        const bool decided = SynthesizeCore("conv_qzram", c.core, CoreSources("conv_qzram"), c.target, work.path(),
                                            limits, outcome, error);
        if (c.ramBlocks <= c.available) {
            EXPECT_FALSE(decided);
            EXPECT_NE(error.find("yosys"), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(decided) << error;
        EXPECT_FALSE(outcome.fits);
        EXPECT_EQ(outcome.ramBlocks, c.ramBlocks);
        EXPECT_EQ(outcome.ramBlocksAvailable, c.available);
        EXPECT_EQ(outcome.luts, 0);
        EXPECT_NE(DescribeSynthesis(outcome).find("does not fit: it needs at least " + std::to_string(c.ramBlocks)
                                                  + " RAM blocks and the device has " + std::to_string(c.available)
                                                  + "; with --memory external the core keeps its symbols in a RAM "
                                                    "outside the device"),
                  std::string::npos)
            << DescribeSynthesis(outcome);
    }
}

} // namespace

int main(int argc, char** argv)
{
    for (const char* tool : {"yosys", "nextpnr-ice40"}) {
        if (FindOnPath(tool).empty()) {
            std::printf("%s is not installed: skipped\n", tool);
            return 77;
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
