#pragma once

#include "design/design.h"

#include <functional>
#include <string>
#include <vector>

// What the wizard's wait status means to the host: exit status 0 "finished: the variation was
// written", 1 "start-up failed", 2 "cancelled", 3 "back to the host's pages: the variation was
// written"; any other exit status, or an end by a signal, "the wizard ended abnormally".
std::string OutcomeText(int waitStatus);

// The wait status itself, for example "exit status 2" or "signal 9".
std::string DescribeWaitStatus(int waitStatus);

// tarnwick's own exit status for the wizard's wait status: the wizard's exit status, or 128 plus
// the signal number when a signal ended it, as shells report it.
int HostExitStatus(int waitStatus);

// tarnwick's exit statuses for its own failures, as env(1) has them: it failed itself; the wizard
// was found but could not be started; no wizard was found.
constexpr int kTarnwickFailed = 125;
constexpr int kWizardNotStartable = 126;
constexpr int kWizardNotFound = 127;

// A file that belongs to a run on a design, and who makes it.
struct RunFile {
    enum class Maker { Wizard, Host };
    std::string path;
    FileRole role = FileRole::RetrievalInfo;
    Maker maker = Maker::Wizard;
    // For a host's file, whether tarnwick tried to make it, whether it did and, if not, why not.
    bool attempted = false;
    bool made = false;
    std::string reason;
};

// The files of a run on design: the wizard's retrieval information and vector file, then the host's
// design file, include file, component declaration and (symbolFile) symbol.
std::vector<RunFile> FilesOfRun(const Design& design, bool symbolFile);

// The file list as text, one line per file under a heading for each maker, each marked "present"
// or "absent" by exists; each path as PrintableText shows it. Once tarnwick has tried to make the
// host's files, each of them is marked "made" or "not made" with the reason.
std::string DescribeFiles(const std::vector<RunFile>& files, const std::function<bool(const std::string&)>& exists);
