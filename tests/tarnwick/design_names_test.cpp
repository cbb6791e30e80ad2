// --simulate-only of one design named in each way a shell allows, with each simulator: the run
// must find the design's library files and the vector file the same way every time.
#include "platform/path_lookup.h"
#include "tests/support/design_folders.h"
#include "tests/tarnwick/tarnwick_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class DesignNames : public DesignFoldersTest {};

TEST_F(DesignNames, EveryWayOfNamingTheDesignSimulatesTheSame)
{
    // A folder beside designs/, a link to designs/ and the current folder the run starts in.
    fs::create_directories(root / "elsewhere");
    fs::create_directory_symlink(designs, root / "linked");
    const struct {
        const char* simulator;
        const char* extension;
    } simulators[] = {{"ghdl", ".vhd"}, {"iverilog", ".v"}, {"verilator", ".v"}};
    for (const auto& s : simulators) {
        SCOPED_TRACE(s.simulator);
        if (FindOnPath(s.simulator).empty()) {
            std::printf("%s is not installed: its runs are left out\n", s.simulator);
            continue;
        }
        const std::string base = std::string("f_") + s.simulator;
        const std::string file = base + s.extension;
        ASSERT_EQ(RunProgram({TARNWICK_EXE, "-n", "-silent", file}, designs, {{"DISPLAY", ""}}).exitStatus, 0);
        // The wizard writes the vector file where it runs; a run started elsewhere reads it there.
        fs::copy_file(designs / (base + ".vec"), root / "elsewhere" / (base + ".vec"));
        fs::copy_file(designs / (base + ".vec"), root / (base + ".vec"));
        const struct {
            const char* how;
            fs::path folder;
            std::string name;
        } names[] = {
            {"bare", designs, file},
            {"./", designs, "./" + file},
            {"../", root / "elsewhere", "../designs/" + file},
            {"absolute", root / "elsewhere", (designs / file).string()},
            {"through a linked folder", root, "linked/" + file},
        };
        for (const auto& n : names) {
            // Verilator builds for a quarter of a minute: its list of sources is checked on the
            // bare name, the one a run inside the design's folder gives.
            if (std::string(s.simulator) == "verilator" && std::string(n.how) != "bare")
                continue;
            SCOPED_TRACE(n.how);
            const ProcessRun run = RunProgram({TARNWICK_EXE, "--simulate-only", "--simulator", s.simulator, n.name},
                                              n.folder, {{"DISPLAY", ""}});
            EXPECT_EQ(run.exitStatus, 0) << run.err;
            EXPECT_NE(run.out.find("checked against the reference model, 0 mismatches"), std::string::npos)
                << run.out << run.err;
        }
    }
}

} // namespace
