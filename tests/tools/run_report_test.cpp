#include "tools/tarnwick/run_report.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/wait.h>

namespace {

// Wait statuses built by the kernel's encoding: the exit status in the second byte, a terminating
// signal in the low seven bits.
int Exited(int status) { return status << 8; }
int Killed(int signal) { return signal; }

TEST(RunOutcome, EachExitStatusHasItsMeaning)
{
    const std::vector<std::pair<int, std::string>> cases = {
        {Exited(0), "finished: the variation was written"},
        {Exited(1), "start-up failed"},
        {Exited(2), "cancelled"},
        {Exited(3), "back to the host's pages: the variation was written"},
        {Exited(4), "the wizard ended abnormally"},
        {Exited(255), "the wizard ended abnormally"},
        {Killed(SIGSEGV), "the wizard ended abnormally"},
        {Killed(SIGKILL), "the wizard ended abnormally"},
    };
    for (const auto& [waitStatus, text] : cases) {
        SCOPED_TRACE(waitStatus);
        EXPECT_EQ(OutcomeText(waitStatus), text);
    }
}

TEST(RunOutcome, HostExitsWithTheWizardsStatusOrShellStyleSignal)
{
    EXPECT_EQ(HostExitStatus(Exited(0)), 0);
    EXPECT_EQ(HostExitStatus(Exited(3)), 3);
    EXPECT_EQ(HostExitStatus(Exited(77)), 77);
    EXPECT_EQ(HostExitStatus(Killed(SIGKILL)), 137);
    EXPECT_EQ(DescribeWaitStatus(Exited(2)), "exit status 2");
    EXPECT_EQ(DescribeWaitStatus(Killed(SIGTERM)), "signal 15");
}

std::vector<std::string> Paths(const std::vector<RunFile>& files, RunFile::Maker maker)
{
    std::vector<std::string> paths;
    for (const RunFile& file : files) {
        if (file.maker == maker)
            paths.push_back(file.path);
    }
    return paths;
}

TEST(RunFiles, RetrievalInfoBesideTheDesignVectorsInTheCurrentDirectory)
{
    const std::vector<RunFile> files = FilesOfRun("/d/sub.x/f.v1.vhd", false);
    EXPECT_EQ(Paths(files, RunFile::Maker::Wizard), (std::vector<std::string>{"/d/sub.x/f.v1.cnx", "./f.v1.vec"}));
    EXPECT_EQ(Paths(files, RunFile::Maker::Host),
              (std::vector<std::string>{"/d/sub.x/f.v1.vhd", "/d/sub.x/f.v1.inc", "/d/sub.x/f.v1.cmp"}));
}

TEST(RunFiles, SymbolFileOnlyWhenTheHostCanMakeOne)
{
    EXPECT_EQ(Paths(FilesOfRun("rel/f.tdf", true), RunFile::Maker::Host),
              (std::vector<std::string>{"rel/f.tdf", "rel/f.inc", "rel/f.cmp", "rel/f.sym"}));
    EXPECT_EQ(Paths(FilesOfRun("f.v", true), RunFile::Maker::Wizard), (std::vector<std::string>{"f.cnx", "./f.vec"}));
}

TEST(RunFiles, DescriptionMarksEachFileByTheGivenTest)
{
    const std::set<std::string> existing{"/d/f.cnx", "/d/f.inc"};
    const std::string text = DescribeFiles(FilesOfRun("/d/f.vhd", false),
                                           [&](const std::string& path) { return existing.count(path) == 1; });
    EXPECT_EQ(text,
              "files the wizard writes:\n"
              "  present  /d/f.cnx  (retrieval information)\n"
              "  absent   ./f.vec  (simulation vectors)\n"
              "files the host would create from them (tarnwick does not create them):\n"
              "  absent   /d/f.vhd  (design file)\n"
              "  present  /d/f.inc  (include file)\n"
              "  absent   /d/f.cmp  (component declaration)\n");
}

} // namespace
