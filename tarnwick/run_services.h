#pragma once

#include "design/design.h"
#include "design/design_contents.h"
#include "platform/run_limits.h"
#include "simulation/design_simulation.h"
#include "tarnwick/run_summary.h"
#include "tarnwick/tarnwick_options.h"

#include <string>
#include <utility>
#include <vector>

class DesignInstall;

// How the wizard is to be started for a run.
struct WizardStart {
    std::string program;
    TarnwickOptions options; // the wizard's own: the design path and -n as it gets them
    int hostId = 0; // the id asked for; another is taken when another process holds it
    std::string workingFolder; // the working copy's folder; empty: the current folder
    std::string design; // the user's design, as messages name it
    bool onWorkingCopy = false;
    int lockFd = -1; // the design's lock, handed to a wizard on the design itself
    int signalFd = -1; // the held ending signals, passed on to the wizard
};

// How the wizard's run ended.
struct WizardEnd {
    int failure = 0; // tarnwick's exit status when the wizard did not run to its end; 0 when it did
    std::string error;
    int waitStatus = 0;
    int endSignal = 0; // the last ending signal passed on to it
    std::vector<std::pair<int, int>> pageExits;
};

// The programs a run on a design starts: the wizard, the simulators and the synthesis tools.
// ProcessRunServices starts them; tests hand the run a recording twin.
class RunServices {
public:
    virtual ~RunServices() = default;
    virtual bool CanSimulate(const Design& design, Simulator simulator, std::string& reason) = 0;
    virtual bool CanSynthesize(std::string& reason) = 0;
    // Starts the wizard and follows it to its end, printing its page exits as they come.
    virtual WizardEnd RunWizard(const WizardStart& start) = 0;
    // As SimulateForRun and SynthesizeForRun.
    virtual bool Simulate(const DesignToSimulate& design, RunLimits& limits, DesignInstall& install,
                          RunSummary& summary) = 0;
    virtual bool Synthesize(const Design& design, const DesignContents& contents, const SynthesisTarget& target,
                            RunLimits& limits, DesignInstall& install, RunSummary& summary) = 0;
};

// The services that start the real programs.
class ProcessRunServices : public RunServices {
public:
    bool CanSimulate(const Design& design, Simulator simulator, std::string& reason) override;
    bool CanSynthesize(std::string& reason) override;
    WizardEnd RunWizard(const WizardStart& start) override;
    bool Simulate(const DesignToSimulate& design, RunLimits& limits, DesignInstall& install,
                  RunSummary& summary) override;
    bool Synthesize(const Design& design, const DesignContents& contents, const SynthesisTarget& target,
                    RunLimits& limits, DesignInstall& install, RunSummary& summary) override;
};
