// tarnwick: stands in for the host design environment. It starts the wizard on a design the way
// the host does, shows each page exit the wizard reports, and tells what the wizard's exit status
// means and which files are there afterwards.
#include "host/path_split.h"
#include "tools/tarnwick/design_files.h"
#include "tools/tarnwick/json_report.h"
#include "tools/tarnwick/page_exit_listener.h"
#include "tools/tarnwick/printable_text.h"
#include "tools/tarnwick/run_report.h"
#include "tools/tarnwick/staged_design.h"
#include "tools/tarnwick/symbol_svg.h"
#include "tools/tarnwick/tarnwick_options.h"
#include "tools/tarnwick/wizard_invocation.h"
#include "tools/tarnwick/wizard_process.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// How often the end of the wizard is checked when the kernel offers no process descriptor.
constexpr int kFallbackPollMilliseconds = 100;

std::string SelfPath()
{
    char buffer[PATH_MAX];
    const ssize_t size = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    return size > 0 ? std::string(buffer, size_t(size)) : std::string();
}

// Where the report of a run goes: printed line by line as it happens, or kept for the JSON
// object printed at the end, when standard output holds nothing else.
struct Report {
    bool json = false;
    std::vector<std::pair<int, int>> pageExits;

    template <typename... Args>
    void Line(const char* format, Args... args) const
    {
        if (!json)
            std::printf(format, args...);
    }
};

// Prints each page exit the wizard has sent. Any local process can send to the host's socket, so a
// message from any other process is shown as ignored, whatever it says.
void PrintMessages(PageExitListener& listener, pid_t wizardPid, Report& report)
{
    for (const HostDatagram& datagram : listener.ReceivePending()) {
        const std::string shown = PrintableText(datagram.text);
        if (datagram.senderPid != wizardPid) {
            report.Line("ignored a message from process %d, which is not the wizard: \"%s\"\n",
                        int(datagram.senderPid), shown.c_str());
            continue;
        }
        PageExit exit;
        if (ParsePageExit(datagram.text, exit)) {
            report.Line("page exit: corner at (%d, %d)\n", exit.cornerX, exit.cornerY);
            report.pageExits.emplace_back(exit.cornerX, exit.cornerY);
        } else {
            report.Line("ignored a message that is not a page exit: \"%s\"\n", shown.c_str());
        }
    }
}

// Prints tarnwick's own failure on stderr and gives the exit status for it. Paths and names in
// message have been shown through PrintableText already.
int Fail(int status, const std::string& message)
{
    std::fprintf(stderr, "tarnwick: %s\n", message.c_str());
    return status;
}

// Prints the page exits as they arrive until the wizard has ended, then those still queued.
// Returns false when the wizard could not be waited for.
bool FollowWizard(WizardProcess& wizard, PageExitListener& listener, int& waitStatus, Report& report)
{
    // The id is kept, as the wizard's own is given up once it has been collected.
    const pid_t wizardPid = wizard.pid();
    pollfd watched[2] = {{listener.fd(), POLLIN, 0}, {wizard.exitFd(), POLLIN, 0}};
    const bool haveExitFd = wizard.exitFd() >= 0;
    for (;;) {
        const int ready = ::poll(watched, haveExitFd ? 2 : 1, haveExitFd ? -1 : kFallbackPollMilliseconds);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0 && (watched[0].revents & POLLIN) != 0)
            PrintMessages(listener, wizardPid, report);
        if (haveExitFd ? (ready > 0 && watched[1].revents != 0) : wizard.TryWait(waitStatus))
            break;
    }
    // The wizard sends without waiting, so its last messages may still be queued.
    PrintMessages(listener, wizardPid, report);
    return wizard.pid() < 0 || wizard.Wait(waitStatus);
}

} // namespace

int main(int argc, char** argv)
{
    // Each line goes out as soon as it is complete, also into a pipe or a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    TarnwickOptions options;
    std::string error;
    if (!ParseTarnwickOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "tarnwick: %s\n\n%s", error.c_str(), kTarnwickUsage);
        return kTarnwickFailed;
    }
    if (options.help) {
        std::fputs(kTarnwickUsage, stdout);
        return 0;
    }

    // Changed settings: the wizard runs on a working copy of the design, from the stored settings
    // (or the defaults) with the changes applied.
    StagedDesign staged;
    if (!options.overrides.empty()) {
        InterleaverSettings settings;
        if (!options.newFile && !ReadStoredSettings(options.designPath, settings))
            return Fail(kTarnwickFailed, "cannot read the stored settings of " + PrintableText(options.designPath));
        ApplyOverrides(options.overrides, settings);
        if (!staged.Create(options.designPath, settings, error))
            return Fail(kTarnwickFailed, error);
    }
    TarnwickOptions wizardOptions = options;
    if (!options.overrides.empty()) {
        wizardOptions.designPath = staged.designPath();
        wizardOptions.newFile = false;
    }

    const int hostId = int(::getpid());
    const std::string program = ChooseWizardProgram(options.wizardPath, SelfPath());
    const std::vector<std::string> args = WizardArguments(wizardOptions, hostId, program);
    if (!CheckWizardArguments(args, error))
        return Fail(kTarnwickFailed, error);
    PageExitListener listener;
    if (!listener.Open(hostId, error))
        return Fail(kTarnwickFailed, error);
    Report report;
    report.json = options.json;
    report.Line("host %d: starting %s\n", hostId, DisplayCommandLine(args).c_str());

    // Like a shell waiting for a command, the host leaves Ctrl+C to the wizard and reports how it
    // ended; the wizard itself gets the default actions back.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);
    WizardProcess wizard;
    StartFailure failure = StartFailure::NotStartable;
    if (!wizard.Start(program, args, error, failure, staged.folder()))
        return Fail(failure == StartFailure::NotFound ? kWizardNotFound : kWizardNotStartable, error);
    int waitStatus = 0;
    if (!FollowWizard(wizard, listener, waitStatus, report))
        return Fail(kTarnwickFailed, "lost track of the wizard (process " + std::to_string(wizard.pid()) + ")");

    // The working copy replaces the design's files only when the wizard wrote the variation.
    const int status = HostExitStatus(waitStatus);
    if (!options.overrides.empty() && WIFEXITED(waitStatus) && (status == 0 || status == 3)
        && !staged.Install(error))
        return Fail(kTarnwickFailed, error);

    std::vector<RunFile> files = FilesOfRun(WizardDesignArgument(options.designPath), options.symbolFile);
    // Like the host, tarnwick makes its files from the .cnx once the wizard has written one.
    std::vector<std::string> writeErrors;
    if (options.designFiles && WIFEXITED(waitStatus) && (status == 0 || status == 3))
        MakeDesignFiles(files, writeErrors);
    for (const std::string& message : writeErrors)
        std::fprintf(stderr, "tarnwick: %s\n", message.c_str());
    const int finalStatus = writeErrors.empty() ? status : kTarnwickFailed;
    // The symbol is drawn from the .cnx the wizard has just written, named as the host names it.
    const SplitPath designName = SplitDesignPath(WizardDesignArgument(options.designPath));
    if (!options.svgPath.empty() && WIFEXITED(waitStatus) && (status == 0 || status == 3)
        && !WriteSymbolSvgFile(designName.directory + designName.baseName + ".cnx", designName.baseName,
                               options.svgPath, error))
        return Fail(kTarnwickFailed, error);
    const auto exists = [](const std::string& path) { return ::access(path.c_str(), F_OK) == 0; };
    if (options.json) {
        const RunSummary summary{waitStatus, options.designPath, report.pageExits, files};
        std::fputs(RunReportJson(summary, exists).c_str(), stdout);
        return finalStatus;
    }
    std::printf("wizard ended with %s: %s\n", DescribeWaitStatus(waitStatus).c_str(), OutcomeText(waitStatus).c_str());
    std::fputs(DescribeFiles(files, exists).c_str(), stdout);
    return finalStatus;
}
