#include "tarnwick/design_run.h"

#include "design/design.h"
#include "design/design_contents.h"
#include "design/library_module.h"
#include "design_files/design_files.h"
#include "design_files/hdl_identifiers.h"
#include "design_files/symbol_svg.h"
#include "model/interface_model.h"
#include "platform/design_lock.h"
#include "platform/held_signals.h"
#include "platform/printable_text.h"
#include "platform/process.h"
#include "platform/regular_file.h"
#include "settings/retrieval_info_settings.h"
#include "tarnwick/design_install.h"
#include "tarnwick/design_lock_wait.h"
#include "tarnwick/file_state.h"
#include "tarnwick/host_files.h"
#include "tarnwick/progress.h"
#include "tarnwick/run_leftovers.h"
#include "tarnwick/run_services.h"
#include "tarnwick/run_simulation.h"
#include "tarnwick/setting_overrides.h"
#include "tarnwick/staged_design.h"
#include "tarnwick/wizard_invocation.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

class Run {
public:
    Run(const TarnwickOptions& options, RunServices& services)
        : options_(options), services_(services), design_(options.designPath)
    {
        result_.summary.design = design_.path();
        result_.summary.files = FilesOfRun(design_, options.symbolFile);
        result_.summary.target = options.target;
    }

    DesignRunResult Execute();

private:
    const TarnwickOptions& options_;
    RunServices& services_;
    const Design design_;
    // The working copy the wizard runs on; none when it runs on the design itself.
    std::optional<StagedDesign> staged_;
    // The id the wizard is told to send its page exits to: this process's, unless another process
    // has taken that name.
    int hostId_ = int(::getpid());
    DesignRunResult result_;
    std::vector<std::pair<std::string, FileState>> before_;

    RunSummary& summary() { return result_.summary; }
    // The design whose files the wizard writes: the working copy, or the design itself.
    const Design& Written() const { return staged_ ? staged_->design() : design_; }

    // Records why the run ends early; false, for the step that calls it to return.
    bool Refuse(int status, const std::string& error, bool refused = false)
    {
        summary().exitStatus = status;
        summary().error = error;
        summary().refused = refused;
        return false;
    }
    DesignRunResult Finish()
    {
        for (const auto& [path, state] : before_) {
            if (!(FileState::Of(path) == state))
                summary().changed.push_back(AbsolutePath(path));
        }
        return result_;
    }

    bool CheckRequest(const std::string& program);
    bool LockDesign(DesignLock& lock);
    bool StageDesign(DesignInstall& install);
    bool RunWizard(const std::string& program, const DesignLock& lock, HeldSignals& signals, int& waitStatus);
    void Conclude(int waitStatus, HeldSignals& signals, DesignInstall& install);
    bool Simulate(const DesignContents& written, HeldSignals& signals, DesignInstall& install);
    bool Install(const DesignContents& written, DesignInstall& install, std::string& error);
    bool AddLibraryModule(const DesignContents& written, DesignInstall& install, std::string& error);
};

// A library file copied beside the design, as the report lists it.
RunFile LibraryFile(const std::string& path)
{
    RunFile file;
    file.path = path;
    file.role = FileRole::LibraryModule;
    file.maker = RunFile::Maker::Host;
    file.attempted = true;
    return file;
}

// A copy of the library module that the design file made for install instantiates, beside it and
// in its language, reported as one of the host's files.
bool Run::AddLibraryModule(const DesignContents& written, DesignInstall& install, std::string& error)
{
    const auto design = std::find_if(summary().files.begin(), summary().files.end(),
                                     [](const RunFile& file) { return file.role == FileRole::DesignFile; });
    if (design == summary().files.end() || !design->made)
        return true;
    const std::string& module = written.module;
    const std::string& extension = design_.name().extension;
    const std::string source = FindLibraryModuleSource(module, extension, ExecutablePath());
    if (source.empty()) {
        RunFile missing = LibraryFile(design_.Beside(module + extension));
        missing.reason = "its source " + module + extension + " is not installed";
        summary().files.push_back(missing);
        return true;
    }
    // The module first, then the library files it uses, each beside the design.
    std::vector<std::string> sources{source};
    for (const std::string& companion : LibraryModuleCompanions(source))
        sources.push_back(companion);
    for (const std::string& from : sources) {
        RunFile copy = LibraryFile(design_.Beside(std::filesystem::path(from).filename().string()));
        before_.emplace_back(copy.path, FileState::Of(copy.path));
        copy.made = install.AddCopy(from, copy.path, AtomicFile::Durability::Regenerable, error);
        if (!copy.made)
            copy.reason = "it cannot be written";
        summary().files.push_back(copy);
        if (!copy.made)
            return false;
    }
    return true;
}

// Writes every file the finished run makes for install, the retrieval information last.
bool Run::Install(const DesignContents& written, DesignInstall& install, std::string& error)
{
    const bool readable = written.readable;
    if (!readable && (staged_ || ::access(written.path.c_str(), F_OK) == 0)) {
        // A file the wizard wrote that cannot be read back must not pass for one never written.
        error = "cannot read the retrieval information the wizard wrote, " + PrintableText(written.path);
        return false;
    }
    if (options_.designFiles
        && !MakeDesignFiles(design_, summary().files, readable ? &written.model : nullptr, install, error))
        return false;
    if (options_.designFiles && readable && !AddLibraryModule(written, install, error))
        return false;
    if (!options_.svgPath.empty()) {
        std::istringstream in(written.text);
        std::string svg;
        if (!readable) {
            error = "cannot read " + PrintableText(written.path) + " for the symbol";
            return false;
        }
        if (!SymbolSvg(in, design_.name().baseName, svg, error)) {
            error = PrintableText(design_.PathOf(FileRole::RetrievalInfo)) + ": " + error;
            return false;
        }
        if (!install.AddText(options_.svgPath, svg, AtomicFile::Durability::Regenerable, error))
            return false;
    }
    if (!staged_)
        return true;
    // Settings the pages accept always make a vector file; one missing from the working copy is
    // the working folder's failure (its file system full, say), not the wizard's rule.
    const Design& copy = staged_->design();
    if (::access(copy.PathOf(FileRole::SimulationVectors).c_str(), F_OK) != 0) {
        error = "the wizard could not write the vector file in " + PrintableText(staged_->folder());
        return false;
    }
    // The retrieval information is the user's only record of the variation, and the commit: last.
    return install.AddCopy(copy.PathOf(FileRole::SimulationVectors), design_.PathOf(FileRole::SimulationVectors),
                           AtomicFile::Durability::Regenerable, error)
        && install.AddCopy(copy.PathOf(FileRole::RetrievalInfo), design_.PathOf(FileRole::RetrievalInfo),
                           AtomicFile::Durability::Durable, error);
}

// Refuses what the run must not do before anything is touched: a symbol file in the place of one
// of the design's own files, a design whose name cannot name its entity and module, or an
// argument the wizard cannot receive.
bool Run::CheckRequest(const std::string& program)
{
    if (!options_.svgPath.empty()) {
        for (const RunFile& file : summary().files) {
            if (SameFile(options_.svgPath, file.path))
                return Refuse(kTarnwickFailed,
                              "--svg " + PrintableText(options_.svgPath) + " names the design's " + RoleName(file.role),
                              true);
        }
    }
    const std::string clash =
        options_.designFiles ? ClashingLibraryUnit(design_.name().baseName, design_.name().extension) : "";
    if (!clash.empty())
        return Refuse(kTarnwickFailed,
                      "the design's name is the library unit " + clash
                          + "'s, whose copy beside the design would take the design file's place; name it otherwise",
                      true);
    const std::string testbench = options_.testbench ? TestbenchClash(design_) : std::string();
    if (!testbench.empty())
        return Refuse(kTarnwickFailed,
                      "--testbench would replace " + PrintableText(testbench)
                          + ", the design file of another design; name one of them otherwise",
                      true);
    std::string reason;
    if (options_.designFiles && !IsDesignName(design_.name().baseName, reason))
        return Refuse(kTarnwickFailed, reason, true);
    if (options_.simulate == TarnwickOptions::Simulate::AfterRun
        && !services_.CanSimulate(design_, options_.simulator, reason))
        return Refuse(kTarnwickFailed, "--simulate: " + reason, true);
    if (options_.synthesize && !services_.CanSynthesize(reason))
        return Refuse(kTarnwickFailed, "--synthesize: " + reason, true);
    // The wizard's arguments as they will be: on a working copy, the design's own name.
    TarnwickOptions wizardOptions = options_;
    wizardOptions.designPath = design_.path();
    std::string error;
    if (!CheckWizardArguments(WizardArguments(wizardOptions, hostId_, program), error))
        return Refuse(kTarnwickFailed, error, true);
    return true;
}

// One run of a design at a time, from reading its settings to the report.
bool Run::LockDesign(DesignLock& lock)
{
    std::string error;
    if (!LockDesignFolder(lock, design_.path(), options_.lockTimeoutSeconds, error))
        return Refuse(kTarnwickFailed, error);
    // Runs that were killed left their working folders, kept links, new files and temporary
    // folders behind; none of them runs now.
    RemoveLeftoversOfEndedRuns(design_.name().directory);
    // What the files are now, to tell afterwards which of them the run changed.
    for (const FileRole role : {FileRole::RetrievalInfo, FileRole::SimulationVectors})
        before_.emplace_back(design_.PathOf(role), FileState::Of(design_.PathOf(role)));
    for (const RunFile& file : summary().files) {
        if (file.maker == RunFile::Maker::Host)
            before_.emplace_back(file.path, FileState::Of(file.path));
    }
    if (!options_.svgPath.empty())
        before_.emplace_back(options_.svgPath, FileState::Of(options_.svgPath));
    if (options_.synthesize) {
        const std::string log = design_.PathOf(FileRole::SynthesisLog);
        before_.emplace_back(log, FileState::Of(log));
    }
    if (options_.simulate == TarnwickOptions::Simulate::AfterRun) {
        for (const std::string& path : SimulationFiles(design_, options_.testbench))
            before_.emplace_back(path, FileState::Of(path));
    }
    return true;
}

// Notes what the pages could not have made in the settings stored before the run, and makes the
// working copy the wizard runs on: the stored retrieval information as it is, or the stored
// settings (or the defaults) with the changes applied. On the copy, a cancel (the wizard then
// deletes its .cnx) leaves the design's own files as they were.
bool Run::StageDesign(DesignInstall& install)
{
    std::string storedText;
    const bool haveText = !options_.newFile
        && ReadRegularFile(design_.PathOf(FileRole::RetrievalInfo), kMaxRetrievalInfoSize, storedText);
    InterleaverSettings stored;
    const bool haveStored = haveText && SettingsOfRetrievalInfo(storedText, stored);
    if (haveStored)
        summary().inconsistencies = FlagGroupProblems(stored);
    std::string error;
    if (options_.overrides.empty() && !options_.newFile && !haveText) {
        // The wizard refuses to start without stored settings and writes nothing; on the design
        // itself its message names the design's own file. The older files are kept all the same.
        for (const FileRole role : {FileRole::RetrievalInfo, FileRole::SimulationVectors}) {
            if (!install.Keep(design_.PathOf(role), error))
                return Refuse(kTarnwickFailed, error);
        }
        return true;
    }
    std::string retrievalInfo = std::move(storedText);
    if (!options_.overrides.empty()) {
        if (!options_.newFile && !haveStored)
            return Refuse(kTarnwickFailed, "cannot read the stored settings of " + PrintableText(design_.path()));
        InterleaverSettings settings = options_.newFile ? InterleaverSettings() : stored;
        ApplyOverrides(options_.overrides, settings);
        const std::vector<std::string> problems = FlagGroupProblems(settings);
        if (!problems.empty())
            return Refuse(kTarnwickFailed, problems.front(), true);
        // A stored number the pages would refuse is refused too, not installed.
        if (!CheckSettingRanges(settings, error))
            return Refuse(kTarnwickFailed, error, true);
        retrievalInfo = RetrievalInfoOfSettings(settings);
    }
    const bool newVariation = options_.newFile && options_.overrides.empty();
    staged_.emplace();
    if (!staged_->Create(design_, newVariation ? nullptr : &retrievalInfo, error))
        return Refuse(kTarnwickFailed, error);
    return true;
}

// Starts the wizard on the design (or its working copy), handing it the design's lock, and follows
// it to its end; its wait status in waitStatus.
bool Run::RunWizard(const std::string& program, const DesignLock& lock, HeldSignals& signals, int& waitStatus)
{
    WizardStart start;
    start.program = program;
    start.options = options_;
    start.options.designPath = staged_ ? staged_->designPath() : design_.path();
    start.options.newFile = staged_ ? staged_->newVariation() : options_.newFile;
    start.hostId = hostId_;
    start.workingFolder = staged_ ? staged_->folder() : std::string();
    start.design = design_.path();
    start.onWorkingCopy = staged_.has_value();
    start.lockFd = lock.fd();
    start.signalFd = signals.fd();
    const WizardEnd end = services_.RunWizard(start);
    summary().pageExits = end.pageExits;
    if (end.endSignal != 0)
        result_.endSignal = end.endSignal;
    if (end.failure != 0)
        return Refuse(end.failure, end.error);
    waitStatus = end.waitStatus;
    summary().waitStatus = waitStatus;
    summary().exitStatus = HostExitStatus(waitStatus);
    return true;
}

// Simulates the design the wizard has just written (in its working copy, or in place with the
// older files kept), made anew as the run makes it, before anything of it is installed; its
// waveform joins the install. False when the design must not be installed.
bool Run::Simulate(const DesignContents& written, HeldSignals& signals, DesignInstall& install)
{
    DesignToSimulate design;
    design.design = design_;
    design.contents = written;
    design.vectorFile = Written().PathOf(FileRole::SimulationVectors);
    design.madeFromRetrievalInfo = true;
    design.simulator = options_.simulator;
    design.keepTestbench = options_.testbench;
    RunLimits limits;
    limits.timeLimit = std::chrono::seconds(options_.simulateTimeoutSeconds);
    limits.signalFd = signals.fd();
    const bool passed = services_.Simulate(design, limits, install, summary());
    if (limits.endSignal != 0) {
        result_.endSignal = limits.endSignal;
        return Refuse(128 + limits.endSignal,
                      "ended by signal " + std::to_string(limits.endSignal)
                          + " during the simulation; the design's files are as they were");
    }
    if (!passed)
        summary().error += "; the design's files are as they were";
    return passed;
}

// After the wizard's end: a signal leaves the design as it was; the wizard's own end other than a
// finish stands as it left its files; a finish installs the design's files as one.
void Run::Conclude(int waitStatus, HeldSignals& signals, DesignInstall& install)
{
    std::string error;
    if (result_.endSignal != 0) {
        install.Abandon();
        Refuse(128 + result_.endSignal,
               "ended by signal " + std::to_string(result_.endSignal)
                   + " before the design's files were installed; they are as they were");
        return;
    }
    const int status = summary().exitStatus;
    if (!WIFEXITED(waitStatus) || (status != 0 && status != 3)) {
        // The wizard's own end: what it did to its files (a cancel removes the .cnx) stands.
        install.Commit(error);
        return;
    }
    // What the wizard wrote, read once for the simulation, the synthesis and the install.
    const DesignContents written = DesignContents::Read(Written().PathOf(FileRole::RetrievalInfo));
    if (options_.simulate == TarnwickOptions::Simulate::AfterRun && !Simulate(written, signals, install)) {
        install.Abandon();
        return;
    }
    RunLimits limits;
    limits.timeLimit = std::chrono::seconds(options_.simulateTimeoutSeconds);
    limits.signalFd = signals.fd();
    if (options_.synthesize && !services_.Synthesize(design_, written, options_.target, limits, install, summary())) {
        result_.endSignal = limits.endSignal;
        install.Abandon();
        return;
    }
    ShowPhase("install");
    if (!Install(written, install, error) || !install.Commit(error)) {
        install.Abandon();
        for (RunFile& file : summary().files) {
            if (file.made) {
                file.made = false;
                file.reason = "the design's files could not be replaced together";
            }
        }
        Refuse(kTarnwickFailed, error);
    }
}

DesignRunResult Run::Execute()
{
    const std::string program = ChooseWizardProgram(options_.wizardPath, ExecutablePath());
    result_.lock = std::make_shared<DesignLock>();
    if (!CheckRequest(program) || !LockDesign(*result_.lock))
        return Finish();
    HeldSignals signals;
    DesignInstall install;
    int waitStatus = 0;
    if (StageDesign(install) && RunWizard(program, *result_.lock, signals, waitStatus))
        Conclude(waitStatus, signals, install);
    return Finish();
}

} // namespace

DesignRunResult RunOnDesign(const TarnwickOptions& options, RunServices& services)
{
    return Run(options, services).Execute();
}

void EndBySignal(int signal)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    std::_Exit(128 + signal);
}
