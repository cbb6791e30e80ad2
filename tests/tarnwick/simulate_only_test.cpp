// --simulate-only on an installed design, with the built wizard making it first.
#include "tests/support/design_folders.h"
#include "tests/tarnwick/tarnwick_process.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class SimulateOnly : public DesignFoldersTest {};

TEST_F(SimulateOnly, AFolderTheWaveformCannotGoIntoIsFoundBeforeTheSimulation)
{
    const std::string design = (designs / "f.vhd").string();
    ASSERT_EQ(RunProgram({TARNWICK_EXE, "-n", "-silent", design}, work, {{"DISPLAY", ""}}).exitStatus, 0);
    // The design's folder read-only in a mount namespace of tarnwick's own.
    const std::string readOnly = "mount --bind \"$0\" \"$0\" && mount -o remount,ro,bind \"$0\" \"$0\"";
    if (std::system(("unshare --user --map-root-user --mount sh -c '" + readOnly + "' '" + designs.string()
                     + "' >/dev/null 2>&1")
                        .c_str())
        != 0)
        GTEST_SKIP() << "no folder can be made read-only in a namespace here";
    const ProcessRun run = RunProgram({"/usr/bin/unshare", "--user", "--map-root-user", "--mount", "sh", "-c",
                                       readOnly + " && exec \"$@\"", designs.string(), TARNWICK_EXE,
                                       "--simulate-only", design},
                                      work, {{"DISPLAY", ""}});
    EXPECT_EQ(run.exitStatus, 125);
    EXPECT_EQ(run.err, "tarnwick: simulation: cannot write the waveform in " + designs.string()
                           + "/: Read-only file system\n");
}

} // namespace
