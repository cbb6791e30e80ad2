#include "tarnwick/run_simulation.h"

#include "design/library_module.h"
#include "design_files/hdl_identifiers.h"
#include "platform/design_lock.h"
#include "platform/held_signals.h"
#include "platform/path_split.h"
#include "platform/printable_text.h"
#include "platform/process.h"
#include "simulation/pair_simulation.h"
#include "simulation/rerun_script.h"
#include "simulation/testbench_writer.h"
#include "simulation/waveform_file.h"
#include "synthesis/core_synthesis.h"
#include "tarnwick/design_install.h"
#include "tarnwick/design_lock_wait.h"
#include "tarnwick/progress.h"
#include "tarnwick/run_leftovers.h"
#include "tarnwick/run_report.h"
#include "tarnwick/run_synthesis.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Fails the run with status 125 and the reason.
bool FailSimulation(RunSummary& summary, const std::string& error)
{
    summary.exitStatus = kTarnwickFailed;
    summary.error = "simulation: " + error;
    return false;
}

// Refuses a --simulate-only run that cannot be done before anything is touched: a design named
// like a library unit or by a name no entity or module can have, or --synthesize without the tools.
bool CheckSimulateOnly(const TarnwickOptions& options, const Design& design, RunSummary& summary)
{
    const std::string clash = ClashingLibraryUnit(design.name().baseName, design.name().extension);
    if (!clash.empty())
        return FailSimulation(
            summary, "the design's name is the library unit " + clash + "'s; it cannot be simulated beside it");
    const std::string testbench = options.testbench ? TestbenchClash(design) : std::string();
    if (!testbench.empty()) {
        summary.refused = true;
        return FailSimulation(summary,
                              "--testbench would replace " + PrintableText(testbench)
                                  + ", the design file of another design; name one of them otherwise");
    }
    std::string error;
    if (!IsDesignName(design.name().baseName, error)) {
        summary.exitStatus = kTarnwickFailed;
        summary.error = error;
        summary.refused = true;
        return false;
    }
    if (options.synthesize && !CanSynthesize(error)) {
        summary.exitStatus = kTarnwickFailed;
        summary.error = "--synthesize: " + error;
        summary.refused = true;
        return false;
    }
    return true;
}

// Notes in summary the files a passed --simulate-only put in place: the waveform and its view,
// the synthesis's log, and the kept testbench's files.
void NoteInstalledFiles(const Design& design, bool synthesized, RunSummary& summary)
{
    for (const FileRole role : {FileRole::Waveform, FileRole::WaveformView})
        summary.changed.push_back(AbsolutePath(design.PathOf(role)));
    if (synthesized)
        summary.changed.push_back(AbsolutePath(design.PathOf(FileRole::SynthesisLog)));
    if (summary.simulation) {
        const std::vector<std::string>& kept = summary.simulation->testbenchFiles;
        summary.changed.insert(summary.changed.end(), kept.begin(), kept.end());
    }
}

} // namespace

bool SimulateForRun(const DesignToSimulate& design, RunLimits& limits, DesignInstall& install, RunSummary& summary)
{
    const std::string vcd = design.design.PathOf(FileRole::Waveform);
    const std::string view = design.design.PathOf(FileRole::WaveformView);
    // The waveform in nanoseconds, as the vector file counts time, with a GTKWave view beside it.
    std::int64_t waveBytes = 0;
    const WaveformKeeper keep = [&](const std::string& waves, const WaveformView& shows, std::string& error) {
        struct stat status {};
        if (!WaveformInNanoseconds(waves, error))
            return false;
        if (::stat(waves.c_str(), &status) == 0)
            waveBytes = status.st_size;
        if (!install.AddCopy(waves, vcd, AtomicFile::Durability::Regenerable, error))
            return false;
        const std::string saveFile = GtkwaveSaveFile(waves, AbsolutePath(vcd), shows);
        return saveFile.empty() || install.AddText(view, saveFile, AtomicFile::Durability::Regenerable, error);
    };
    // The testbench with its stimulus and expected outputs, and the script that reruns it.
    std::vector<std::string> keptFiles;
    const TestbenchKeeper keepTestbench = [&](const KeptTestbench& kept, std::string& error) {
        for (const auto& [from, to] : kept.copies) {
            if (!install.AddCopy(from, to, AtomicFile::Durability::Regenerable, error))
                return false;
            keptFiles.push_back(AbsolutePath(to));
        }
        if (!install.AddScript(kept.scriptPath, kept.script, error))
            return false;
        keptFiles.push_back(AbsolutePath(kept.scriptPath));
        return true;
    };
    SimulationOutcome outcome;
    std::string error;
    DesignToSimulate shown = design;
    shown.onPhase = ShowPhase;
    shown.onProgress = ShowProgress;
    if (!SimulateDesign(shown, ExecutablePath(), limits, keep, keepTestbench, outcome, error))
        return FailSimulation(summary, error);
    outcome.vcdPath = AbsolutePath(vcd);
    outcome.vcdBytes = waveBytes;
    outcome.testbenchFiles = keptFiles;
    summary.simulation = outcome;
    if (outcome.mismatches > 0)
        return FailSimulation(summary,
                              std::to_string(outcome.mismatches) + " of " + std::to_string(outcome.checkedValues)
                                  + " output values differ from the reference model");
    const std::string fault = outcome.pair ? PairFault(*outcome.pair) : std::string();
    if (!fault.empty())
        return FailSimulation(summary, "the interleaver -> deinterleaver pair " + fault);
    return true;
}

std::vector<std::string> SimulationFiles(const Design& design, bool testbench)
{
    std::vector<std::string> files{design.PathOf(FileRole::Waveform), design.PathOf(FileRole::WaveformView)};
    if (testbench) {
        const std::string& base = design.name().baseName;
        const TestbenchFiles kept = TestbenchFilesOf(base, design.name().extension);
        for (const std::string& name :
             {kept.testbench, kept.stimulus, ExpectedOutputsName(base), RerunScriptName(base)})
            files.push_back(design.Beside(name));
    }
    return files;
}

std::string TestbenchClash(const Design& design)
{
    const SplitPath& name = design.name();
    const Design testbench(design.Beside(TestbenchFilesOf(name.baseName, name.extension).testbench));
    return ::access(testbench.PathOf(FileRole::RetrievalInfo).c_str(), F_OK) == 0 ? testbench.path() : std::string();
}

DesignRunResult SimulateInstalledDesign(const TarnwickOptions& options)
{
    DesignRunResult result;
    RunSummary& summary = result.summary;
    const Design design(options.designPath);
    const SplitPath& name = design.name();
    summary.design = design.path();
    summary.files = FilesOfRun(design, options.symbolFile);
    summary.simulateOnly = true;
    summary.target = options.target;
    std::string error;
    if (!CheckSimulateOnly(options, design, summary))
        return result;
    result.lock = std::make_shared<DesignLock>();
    if (!LockDesignFolder(*result.lock, design.path(), options.lockTimeoutSeconds, error)) {
        summary.exitStatus = kTarnwickFailed;
        summary.error = error;
        return result;
    }
    RemoveLeftoversOfEndedRuns(name.directory);
    // The waveform goes beside the design: a folder it cannot go into is found before the
    // simulation's minutes are spent.
    const std::string folder = name.directory.empty() ? std::string(".") : name.directory;
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        FailSimulation(summary, "cannot write the waveform in " + PrintableText(folder) + ": " + std::strerror(errno));
        return result;
    }
    HeldSignals signals;
    RunLimits limits;
    limits.timeLimit = std::chrono::seconds(options.simulateTimeoutSeconds);
    limits.signalFd = signals.fd();
    DesignInstall install;
    DesignToSimulate what;
    what.design = design;
    what.contents = DesignContents::Read(design.PathOf(FileRole::RetrievalInfo));
    what.vectorFile = design.PathOf(FileRole::SimulationVectors);
    what.simulator = options.simulator;
    what.keepTestbench = options.testbench;
    if (SimulateForRun(what, limits, install, summary)
        && (!options.synthesize || SynthesizeForRun(design, what.contents, options.target, limits, install, summary))
        && install.Commit(error)) {
        NoteInstalledFiles(design, options.synthesize, summary);
    } else {
        install.Abandon();
        if (summary.error.empty())
            FailSimulation(summary, error);
    }
    result.endSignal = limits.endSignal;
    // A signal during the synthesis has been reported by it already.
    if (limits.endSignal != 0 && summary.exitStatus != 128 + limits.endSignal) {
        summary.exitStatus = 128 + limits.endSignal;
        summary.error = "ended by signal " + std::to_string(limits.endSignal)
            + " during the simulation; the "
              "waveform beside the design is as it was";
    }
    return result;
}
