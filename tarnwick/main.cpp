// tarnwick: stands in for the host design environment. It starts the wizard on a design the way
// the host does, shows each page exit the wizard reports, and tells what the wizard's exit status
// means and which files are there afterwards.
#include "design/design.h"
#include "platform/display_command_line.h"
#include "platform/printable_text.h"
#include "tarnwick/core_memory.h"
#include "tarnwick/design_run.h"
#include "tarnwick/json_report.h"
#include "tarnwick/progress.h"
#include "tarnwick/run_report.h"
#include "tarnwick/run_services.h"
#include "tarnwick/run_simulation.h"
#include "tarnwick/tarnwick_options.h"
#include "tarnwick/wizard_invocation.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Makes sure that everything printed on standard output got there: a report that could not be
// written is a failure, not a silent success. Returns status, or 125 after a message on stderr.
int EndOutput(int status)
{
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
    const int flushError = errno;
    const bool closed = std::fclose(stdout) == 0;
    if (flushed && closed)
        return status;
    std::fprintf(stderr, "tarnwick: cannot write the report to standard output: %s\n",
                 std::strerror(flushed ? errno : flushError));
    return kTarnwickFailed;
}

// The run's report: its error on stderr, then the JSON object or the text on stdout.
void PrintReport(const TarnwickOptions& options, const RunSummary& summary)
{
    if (!summary.error.empty())
        std::fprintf(stderr, "tarnwick: %s\n", summary.error.c_str());
    const auto exists = [](const std::string& path) { return ::access(path.c_str(), F_OK) == 0; };
    if (options.json) {
        std::fputs(RunReportJson(summary, exists).c_str(), stdout);
    } else if (summary.waitStatus) {
        for (const std::string& problem : summary.inconsistencies)
            std::printf("the stored settings are not ones the pages make: %s\n", PrintableText(problem).c_str());
        std::printf("wizard ended with %s: %s\n", DescribeWaitStatus(*summary.waitStatus).c_str(),
                    OutcomeText(*summary.waitStatus).c_str());
        std::fputs(DescribeFiles(summary.files, exists).c_str(), stdout);
    }
    // The memory of the variation the run wrote or simulated.
    CoreMemory memory;
    if (!options.json && (summary.exitStatus == 0 || summary.exitStatus == 3)
        && CoreMemoryOfRetrievalInfo(Design(summary.design).PathOf(FileRole::RetrievalInfo), summary.target.device,
                                     memory))
        std::fputs(DescribeCoreMemory(memory).c_str(), stdout);
    if (!options.json && summary.simulation)
        std::fputs(DescribeSimulation(*summary.simulation).c_str(), stdout);
    if (!options.json && summary.simulation && summary.exitStatus == 0) {
        // The waveform and its view were installed beside the design.
        const std::string vcd = summary.simulation->vcdPath;
        const std::string view = AbsolutePath(Design(summary.design).PathOf(FileRole::WaveformView));
        std::printf("  view it with: %s\n", DisplayCommandLine({"gtkwave", vcd, view}).c_str());
        const std::vector<std::string>& kept = summary.simulation->testbenchFiles;
        if (!kept.empty())
            std::printf("  testbench kept beside the design; rerun and check it with: %s\n",
                        DisplayCommandLine({kept.back()}).c_str());
    }
    if (!options.json && summary.synthesis)
        std::fputs(DescribeSynthesis(*summary.synthesis).c_str(), stdout);
}

} // namespace

int main(int argc, char** argv)
{
    // Each line goes out as soon as it is complete, also into a pipe or a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // A reader that has gone is a failed write, reported at the end, not the end of the run. Like a
    // shell waiting for a command, the host leaves Ctrl+\ to the wizard.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    TarnwickOptions options;
    std::string error;
    if (!ParseTarnwickOptions(arguments, options, error)) {
        std::fprintf(stderr, "tarnwick: %s\n%s", error.c_str(), kTarnwickUsageHint);
        // A script that asked for the report gets one, whatever else the command line holds.
        if (std::find(arguments.begin(), arguments.end(), "--json") != arguments.end()) {
            RunSummary summary;
            summary.exitStatus = kTarnwickFailed;
            summary.error = error;
            summary.refused = true;
            summary.design = options.designPath;
            std::fputs(RunReportJson(summary, [](const std::string&) { return false; }).c_str(), stdout);
        }
        return EndOutput(kTarnwickFailed);
    }
    if (options.help) {
        std::fputs(kTarnwickUsage, stdout);
        return EndOutput(0);
    }
    if (options.version) {
        std::fputs("tarnwick " ZORVEX_VERSION "\n", stdout);
        return EndOutput(0);
    }

    EnablePhases(options.progress                                    ? ProgressLines::Plain
                     : !options.json && ::isatty(STDERR_FILENO) == 1 ? ProgressLines::InPlace
                                                                     : ProgressLines::None);
    ProcessRunServices services;
    // The design stays locked until the report is out.
    const DesignRunResult run = options.simulate == TarnwickOptions::Simulate::Only ? SimulateInstalledDesign(options)
                                                                                    : RunOnDesign(options, services);
    const RunSummary& summary = run.summary;
    EndProgress();
    PrintReport(options, summary);
    const int status = EndOutput(summary.exitStatus);
    if (run.endSignal != 0)
        EndBySignal(run.endSignal);
    return status;
}
