// SynthesizeCore with yosys and nextpnr-ice40 on the library cores in hdl/: small cores give
// figures that fit them and each other, and a missing tool or the time limit fails with the
// reason. Status 77 when yosys or nextpnr-ice40 is not installed.
#include "simulation/core_synthesis.h"

#include "design_files/library_module.h"
#include "simulation/simulator_run.h"

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
    core.depth = depth;
    core.delay = delay;
    core.width = width;
    return core;
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
        ASSERT_TRUE(SynthesizeCore(c.module, c.core, CoreSources(c.module), work.path(), 120s, outcome, error))
            << error;
        EXPECT_EQ(outcome.device, "iCE40 HX8K (ct256)");
        EXPECT_GT(outcome.flipFlops, 0);
        EXPECT_GE(outcome.luts, outcome.flipFlops);
        EXPECT_EQ(outcome.ramBlocks, c.ramBlocks);
        EXPECT_GT(outcome.fmaxMHz, 20.0);
        EXPECT_LT(outcome.fmaxMHz, 500.0);
    }
}

// A missing tool is named before either runs; a tool past the time limit is stopped.
TEST(CoreSynthesis, FailsWithTheReason)
{
    struct Case {
        std::string onPath; // the one tool left on PATH; empty leaves PATH as it is
        std::chrono::milliseconds limit;
        std::string reason;
    };
    const Case cases[] = {
        {"nextpnr-ice40", 120s, "yosys is not installed"},
        {"yosys", 120s, "nextpnr-ice40 is not installed"},
        {"", 1ms, "yosys did not finish within the time limit of 1 ms"},
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
        EXPECT_FALSE(SynthesizeCore("conv_qzram", CoreSettings(), CoreSources("conv_qzram"), work.path(), c.limit,
                                    outcome, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        if (!c.onPath.empty()) {
            EXPECT_FALSE(std::filesystem::exists(work.path() + "/yosys.log")) << "yosys ran without its partner";
        }
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
