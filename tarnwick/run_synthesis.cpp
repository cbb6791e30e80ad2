#include "tarnwick/run_synthesis.h"

#include "design/design_contents.h"
#include "design/library_module.h"
#include "platform/printable_text.h"
#include "platform/process.h"
#include "platform/temporary_folder.h"
#include "synthesis/core_synthesis.h"
#include "tarnwick/design_install.h"
#include "tarnwick/progress.h"
#include "tarnwick/run_report.h"

using namespace zorvex::core;

namespace {

// Fails the run with the reason: status 125, or 128 + N when signal N ended it.
bool FailSynthesis(RunSummary& summary, const RunLimits& limits, const std::string& error)
{
    const std::string unchanged = "; the design's files are as they were";
    if (limits.endSignal != 0) {
        summary.exitStatus = 128 + limits.endSignal;
        summary.error = "ended by signal " + std::to_string(limits.endSignal) + " during the synthesis" + unchanged;
    } else {
        summary.exitStatus = kTarnwickFailed;
        summary.error = "synthesis: " + error + unchanged;
    }
    return false;
}

} // namespace

bool SynthesizeForRun(const Design& design, const DesignContents& contents, const SynthesisTarget& target,
                      RunLimits& limits, DesignInstall& install, RunSummary& summary)
{
    CoreSettings core;
    MemoryKind memory = MemoryKind::Internal;
    std::string error;
    if (!contents.Core(core, memory, error))
        return FailSynthesis(summary, limits, error);
    const std::string& module = contents.module;
    // The installed library, never a copy beside the design: the figures are the core's own.
    const std::string source = FindLibraryModuleSource(module, ".v", ExecutablePath());
    if (source.empty())
        return FailSynthesis(summary, limits,
                             "the library module source " + module + ".v for " + PrintableText(design.path())
                                 + " is not installed (ZORVEX_HDL_DIR, the hdl folder beside tarnwick, "
                                   "share/zorvex/hdl)");
    std::vector<std::string> sources = LibraryModuleCompanions(source);
    sources.push_back(source);
    TemporaryFolder work;
    SynthesisOutcome outcome;
    ShowPhase("synthesis");
    limits.whileRunning = ShowWorking;
    const bool synthesized =
        work.Create(error) && SynthesizeCore(module, core, sources, target, work.path(), limits, outcome, error);
    limits.whileRunning = nullptr;
    if (!synthesized)
        return FailSynthesis(summary, limits, error);
    // The log goes in with the design's other files, or not at all.
    const std::string log = design.PathOf(FileRole::SynthesisLog);
    if (!install.AddCopy(work.path() + "/synthesis.log", log, AtomicFile::Durability::Regenerable, error))
        return FailSynthesis(summary, limits, error);
    outcome.logPath = AbsolutePath(log);
    summary.synthesis = outcome;
    return true;
}
