// The run's decisions after the wizard, in-process: a recording twin stands in for the wizard, the
// simulators and the synthesis tools, so that what the run installs, keeps and reports is checked
// also where those tools are not installed.
#include "tarnwick/design_run.h"

#include "settings/retrieval_info_settings.h"
#include "tarnwick/run_services.h"
#include "tests/support/file_text.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/wait.h>

namespace {

// What the twin does in the place of each program, and what it was asked.
class RecordingRunServices : public RunServices {
public:
    std::string simulateReason; // not empty: the design cannot be simulated, for this reason
    int wizardExit = 0;
    int wizardEndSignal = 0;    // an ending signal passed on to the wizard
    bool simulationPasses = true;
    int signalDuringSimulation = 0;
    bool synthesisPasses = true;
    std::string writtenRetrievalInfo;

    int wizardRuns = 0;
    int simulations = 0;
    int syntheses = 0;
    std::chrono::seconds simulationLimit{0}, synthesisLimit{0}; // the time limits the steps were given

    bool CanSimulate(const Design&, Simulator, std::string& reason) override
    {
        reason = simulateReason;
        return simulateReason.empty();
    }
    bool CanSynthesize(std::string&) override { return true; }
    // Writes what a wizard that finished writes in its folder.
    WizardEnd RunWizard(const WizardStart& start) override
    {
        ++wizardRuns;
        const Design written(start.workingFolder + start.options.designPath, DesignKind::WorkingCopy);
        std::ofstream(written.PathOf(FileRole::RetrievalInfo)) << writtenRetrievalInfo;
        std::ofstream(written.PathOf(FileRole::SimulationVectors)) << "vectors\n";
        WizardEnd end;
        end.waitStatus = W_EXITCODE(wizardExit, 0);
        end.endSignal = wizardEndSignal;
        return end;
    }
    bool Simulate(const DesignToSimulate&, RunLimits& limits, DesignInstall&, RunSummary& summary) override
    {
        ++simulations;
        simulationLimit = limits.timeLimit;
        limits.endSignal = signalDuringSimulation;
        if (!simulationPasses) {
            summary.exitStatus = 125;
            summary.error = "simulation: an output differs";
        }
        return simulationPasses && signalDuringSimulation == 0;
    }
    bool Synthesize(const Design&, const DesignContents&, const SynthesisTarget&, RunLimits& limits, DesignInstall&,
                    RunSummary& summary) override
    {
        ++syntheses;
        synthesisLimit = limits.timeLimit;
        if (!synthesisPasses) {
            summary.exitStatus = 125;
            summary.error = "synthesis: the tool failed";
        }
        return synthesisPasses;
    }
};

// Runs in the test's folder, where the wizard writes the vector file of a design in place.
class DesignRun : public TemporaryFolderTest {
protected:
    void SetUp() override
    {
        TemporaryFolderTest::SetUp();
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder);
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        TemporaryFolderTest::TearDown();
    }
    std::filesystem::path previous;
};

TEST_F(DesignRun, InstallsOnlyWhatTheWizardFinishedAndTheChecksPassed)
{
    struct Case {
        const char* name;
        bool simulate;
        bool synthesize;
        std::string simulateReason;
        bool simulationPasses;
        int signalDuringSimulation;
        bool synthesisPasses;
        int exitStatus;
        std::string error;
        bool installed;
        int wizardRuns, simulations, syntheses;
        bool testbenchOverAnotherDesign; // --testbench, with a design f_tb beside f
    };
    const Case cases[] = {
        {"a finish installs", true, true, "", true, 0, true, 0, "", true, 1, 1, 1, false},
        {"--simulate refused before the wizard", true, false, "no simulator", true, 0, true, 125,
         "--simulate: no simulator", false, 0, 0, 0, false},
        {"a simulation that fails keeps the design", true, true, "", false, 0, true, 125,
         "simulation: an output differs; the design's files are as they were", false, 1, 1, 0, false},
        {"a signal during the simulation keeps the design", true, false, "", true, 2, true, 130,
         "ended by signal 2 during the simulation; the design's files are as they were", false, 1, 1, 0, false},
        {"a synthesis that fails keeps the design", false, true, "", true, 0, false, 125,
         "synthesis: the tool failed", false, 1, 0, 1, false},
        {"--testbench refused before the wizard where it would replace another design's file", true, false, "",
         true, 0, true, 125,
         "--testbench would replace f_tb.vhd, the design file of another design; name one of them otherwise", false,
         0, 0, 0, true},
    };
    const std::string stored = RetrievalInfoOfSettings(InterleaverSettings());
    InterleaverSettings changed;
    changed.CHARACTERISTIC_I = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string design = "f.vhd";
        const std::string cnx = "f.cnx";
        std::ofstream(cnx, std::ios::trunc) << stored;
        TarnwickOptions options;
        options.designPath = design;
        options.json = true;
        options.designFiles = false;
        options.wizardPath = "/nonexistent/zorvex";
        options.simulate = c.simulate ? TarnwickOptions::Simulate::AfterRun : TarnwickOptions::Simulate::No;
        options.synthesize = c.synthesize;
        options.testbench = c.testbenchOverAnotherDesign;
        if (c.testbenchOverAnotherDesign)
            std::ofstream("f_tb.cnx") << stored;
        // Each tool step is bounded by --simulate-timeout, not by the lock's wait.
        options.simulateTimeoutSeconds = 77;
        options.lockTimeoutSeconds = 5;
        RecordingRunServices services;
        services.simulateReason = c.simulateReason;
        services.simulationPasses = c.simulationPasses;
        services.signalDuringSimulation = c.signalDuringSimulation;
        services.synthesisPasses = c.synthesisPasses;
        services.writtenRetrievalInfo = RetrievalInfoOfSettings(changed);

        const DesignRunResult result = RunOnDesign(options, services);
        EXPECT_EQ(result.summary.exitStatus, c.exitStatus);
        EXPECT_EQ(result.summary.error, c.error);
        EXPECT_EQ(result.summary.refused, !c.simulateReason.empty() || c.testbenchOverAnotherDesign);
        EXPECT_EQ(result.endSignal, c.signalDuringSimulation);
        EXPECT_EQ(ReadFileText(cnx), c.installed ? services.writtenRetrievalInfo : stored);
        EXPECT_EQ(ReadFileText("f.vec"), c.installed ? "vectors\n" : "");
        EXPECT_EQ(services.wizardRuns, c.wizardRuns);
        EXPECT_EQ(services.simulations, c.simulations);
        EXPECT_EQ(services.syntheses, c.syntheses);
        EXPECT_EQ(services.simulationLimit.count(), c.simulations > 0 ? 77 : 0);
        EXPECT_EQ(services.synthesisLimit.count(), c.syntheses > 0 ? 77 : 0);
        std::filesystem::remove("f.vec");
        std::filesystem::remove("f_tb.cnx");
    }
}

} // namespace
