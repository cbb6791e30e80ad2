// tarnwick: stands in for the host design environment. It starts the wizard on a design the way
// the host does, shows each page exit the wizard reports, and tells what the wizard's exit status
// means and which files are there afterwards.
#include "platform/printable_text.h"
#include "platform/process.h"
#include "simulation/design_simulation.h"
#include "simulation/pair_simulation.h"
#include "tarnwick/design_run.h"
#include "tarnwick/json_report.h"
#include "tarnwick/run_report.h"
#include "tarnwick/tarnwick_options.h"

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

// Simulates the design of summary and adds what it showed; a simulation that could not run, or
// outputs that differ from the reference model, fail the run with status 125.
void Simulate(const TarnwickOptions& options, RunSummary& summary)
{
    SimulationOutcome outcome;
    std::string error;
    if (!SimulateDesign(options.designPath, ExecutablePath(), outcome, error)) {
        summary.exitStatus = kTarnwickFailed;
        summary.error = "simulation: " + error;
        return;
    }
    summary.simulation = outcome;
    if (outcome.mismatches > 0) {
        summary.exitStatus = kTarnwickFailed;
        summary.error = "simulation: " + std::to_string(outcome.mismatches) + " of "
            + std::to_string(outcome.checkedValues) + " output values differ from the reference model";
        return;
    }
    const std::string fault = outcome.pair ? PairFault(*outcome.pair) : std::string();
    if (!fault.empty()) {
        summary.exitStatus = kTarnwickFailed;
        summary.error = "simulation: the interleaver -> deinterleaver pair " + fault;
    }
}

// Whether the wizard's run left a variation to simulate: it finished or went back to the host's
// pages after writing it, and tarnwick installed the design's files.
bool Finished(const DesignRunResult& run)
{
    const RunSummary& summary = run.summary;
    return run.endSignal == 0 && summary.error.empty() && summary.waitStatus && WIFEXITED(*summary.waitStatus)
        && (WEXITSTATUS(*summary.waitStatus) == 0 || WEXITSTATUS(*summary.waitStatus) == 3);
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

    DesignRunResult run;
    if (options.simulate == TarnwickOptions::Simulate::Only) {
        run.summary.design = options.designPath;
        run.summary.files = FilesOfRun(options.designPath, options.symbolFile);
        run.summary.simulateOnly = true;
        Simulate(options, run.summary);
    } else {
        run = RunOnDesign(options);
        if (options.simulate == TarnwickOptions::Simulate::AfterRun && Finished(run))
            Simulate(options, run.summary);
    }
    const RunSummary& summary = run.summary;
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
    if (!options.json && summary.simulation)
        std::fputs(DescribeSimulation(*summary.simulation).c_str(), stdout);
    const int status = EndOutput(summary.exitStatus);
    if (run.endSignal != 0)
        EndBySignal(run.endSignal);
    return status;
}
