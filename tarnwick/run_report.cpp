#include "tarnwick/run_report.h"

#include "platform/printable_text.h"

#include <algorithm>
#include <sys/wait.h>

std::string OutcomeText(int waitStatus)
{
    if (!WIFEXITED(waitStatus))
        return "the wizard ended abnormally";
    switch (WEXITSTATUS(waitStatus)) {
    case 0:
        return "finished: the variation was written";
    case 1:
        return "start-up failed";
    case 2:
        return "cancelled: the design's files are as they were";
    case 3:
        return "back to the host's pages: the variation was written";
    default:
        return "the wizard ended abnormally";
    }
}

std::string DescribeWaitStatus(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return "exit status " + std::to_string(WEXITSTATUS(waitStatus));
    if (WIFSIGNALED(waitStatus))
        return "signal " + std::to_string(WTERMSIG(waitStatus));
    return "wait status " + std::to_string(waitStatus);
}

int HostExitStatus(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return 1;
}

std::vector<RunFile> FilesOfRun(const Design& design, bool symbolFile)
{
    const auto file = [&](FileRole role, RunFile::Maker maker) {
        RunFile entry;
        entry.path = design.PathOf(role);
        entry.role = role;
        entry.maker = maker;
        return entry;
    };
    std::vector<RunFile> files{
        file(FileRole::RetrievalInfo, RunFile::Maker::Wizard),
        file(FileRole::SimulationVectors, RunFile::Maker::Wizard),
        file(FileRole::DesignFile, RunFile::Maker::Host),
        file(FileRole::IncludeFile, RunFile::Maker::Host),
        file(FileRole::ComponentDeclaration, RunFile::Maker::Host),
    };
    if (symbolFile)
        files.push_back(file(FileRole::SymbolFile, RunFile::Maker::Host));
    return files;
}

std::string DescribeFiles(const std::vector<RunFile>& files, const std::function<bool(const std::string&)>& exists)
{
    std::string text;
    const auto section = [&](RunFile::Maker maker, const char* heading) {
        text += heading;
        for (const RunFile& file : files) {
            if (file.maker != maker)
                continue;
            text += exists(file.path) ? "  present  " : "  absent   ";
            text += PrintableText(file.path) + "  (" + RoleName(file.role) + ")\n";
        }
    };
    section(RunFile::Maker::Wizard, "files the wizard writes:\n");
    const bool attempted = std::any_of(files.begin(), files.end(), [](const RunFile& f) { return f.attempted; });
    if (!attempted) {
        section(RunFile::Maker::Host, "files the host would create from them (tarnwick does not create them):\n");
        return text;
    }
    text += "files tarnwick creates from them:\n";
    for (const RunFile& file : files) {
        if (file.maker != RunFile::Maker::Host)
            continue;
        text += file.made ? "  made     " : "  not made ";
        text += PrintableText(file.path) + "  (" + RoleName(file.role) + ")";
        text += file.made ? "\n" : ": " + file.reason + "\n";
    }
    return text;
}
