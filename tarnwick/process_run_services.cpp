#include "tarnwick/run_services.h"

#include "platform/display_command_line.h"
#include "platform/printable_text.h"
#include "platform/supervised_child.h"
#include "synthesis/core_synthesis.h"
#include "tarnwick/page_exit_listener.h"
#include "tarnwick/progress.h"
#include "tarnwick/run_report.h"
#include "tarnwick/run_simulation.h"
#include "tarnwick/run_synthesis.h"
#include "tarnwick/wizard_invocation.h"
#include "tarnwick/wizard_process.h"

#include <cstdio>

namespace {

// Prints each page exit the wizard has sent. Any local process can send to the host's socket, so a
// message from any other process is shown as ignored, whatever it says.
void PrintMessages(PageExitListener& listener, pid_t wizardPid, bool json, WizardEnd& end)
{
    for (const HostDatagram& datagram : listener.ReceivePending()) {
        const std::string shown = PrintableText(datagram.text);
        if (datagram.senderPid != wizardPid) {
            if (!json)
                std::printf("ignored a message from process %d, which is not the wizard: \"%s\"\n",
                            int(datagram.senderPid), shown.c_str());
            continue;
        }
        PageExit exit;
        if (ParsePageExit(datagram.text, exit)) {
            if (!json)
                std::printf("page exit: corner at (%d, %d)\n", exit.cornerX, exit.cornerY);
            end.pageExits.emplace_back(exit.cornerX, exit.cornerY);
        } else if (!json) {
            std::printf("ignored a message that is not a page exit: \"%s\"\n", shown.c_str());
        }
    }
}

// Prints the page exits as they arrive until the wizard has ended, then those still queued. An
// ending signal is passed on to the wizard, which is waited for all the same. Returns false when
// the wizard could not be waited for.
bool FollowWizard(ChildProcess& wizard, PageExitListener& listener, int signalFd, bool json, WizardEnd& end)
{
    // The id is kept, as the wizard's own is given up once it has been collected.
    const pid_t wizardPid = wizard.pid();
    Supervision supervision;
    supervision.signalFd = signalFd;
    supervision.onSignal = OnHeldSignal::PassOn;
    supervision.watchedFd = listener.fd();
    supervision.onReadable = [&] { PrintMessages(listener, wizardPid, json, end); };
    const ChildEnd ended = SuperviseChild(wizard, supervision, end.waitStatus, end.endSignal);
    // The wizard sends without waiting, so its last messages may still be queued.
    PrintMessages(listener, wizardPid, json, end);
    return ended != ChildEnd::Lost;
}

} // namespace

bool ProcessRunServices::CanSimulate(const Design& design, Simulator simulator, std::string& reason)
{
    return ::CanSimulate(design, simulator, reason);
}

bool ProcessRunServices::CanSynthesize(std::string& reason)
{
    return ::CanSynthesize(reason);
}

WizardEnd ProcessRunServices::RunWizard(const WizardStart& start)
{
    WizardEnd end;
    PageExitListener listener;
    int hostId = start.hostId;
    if (!listener.OpenUnderFreeId(hostId, end.error)) {
        end.failure = kTarnwickFailed;
        return end;
    }
    const std::vector<std::string> args = WizardArguments(start.options, hostId, start.program);
    if (!start.options.json)
        std::printf("host %d: starting %s%s\n", hostId, DisplayCommandLine(args).c_str(),
                    start.onWorkingCopy ? (" (on a working copy of " + PrintableText(start.design) + ")").c_str() : "");
    // The wizard on the design itself takes the lock that this run holds: only it is handed it.
    if (start.lockFd >= 0 && !start.options.silent)
        std::fprintf(stderr, "tarnwick: %s stays locked while the pages are open; other runs on it wait\n",
                     PrintableText(start.design).c_str());
    ShowPhase("wizard");
    ChildProcess wizard;
    StartFailure failure = StartFailure::NotStartable;
    if (!StartWizard(wizard, start.program, args, end.error, failure, start.workingFolder, start.lockFd)) {
        end.failure = failure == StartFailure::NotFound ? kWizardNotFound : kWizardNotStartable;
        return end;
    }
    if (!FollowWizard(wizard, listener, start.signalFd, start.options.json, end)) {
        end.failure = kTarnwickFailed;
        end.error = "lost track of the wizard (process " + std::to_string(wizard.pid()) + ")";
    }
    return end;
}

bool ProcessRunServices::Simulate(const DesignToSimulate& design, RunLimits& limits, DesignInstall& install,
                                  RunSummary& summary)
{
    return SimulateForRun(design, limits, install, summary);
}

bool ProcessRunServices::Synthesize(const Design& design, const DesignContents& contents, const SynthesisTarget& target,
                                    RunLimits& limits, DesignInstall& install, RunSummary& summary)
{
    return SynthesizeForRun(design, contents, target, limits, install, summary);
}
