// Runs the built tarnwick on a stand-in wizard and checks what it prints and how it ends.
#include "tests/tools/tarnwick_process.h"

#include "tests/support/design_folders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TarnwickRun : public DesignFoldersTest {
protected:
    // tarnwick with the stand-in wizard; the stand-in ends with status and sends messages.
    ProcessRun Run(std::vector<std::string> args, const std::string& status, const std::string& messages = "")
    {
        args.insert(args.begin(), {TARNWICK_EXE, "--zorvex", STAND_IN_WIZARD});
        return RunProgram(args, work,
                          {{"STAND_IN_STATUS", status},
                           {"STAND_IN_MESSAGES", messages},
                           {"STAND_IN_ARGS", (root / "args.txt").string()}});
    }

    std::vector<std::string> WizardArgs() const
    {
        std::ifstream in(root / "args.txt");
        std::stringstream text;
        text << in.rdbuf();
        return Lines(text.str());
    }

    std::string Design(const std::string& name = "f.vhd") const { return (designs / name).string(); }
};

TEST_F(TarnwickRun, FinishedRunShowsEachCornerTheOutcomeAndTheFiles)
{
    const ProcessRun run = Run({"-n", "-symbol", "-p", "2", "-x", "640", "-y", "-20", Design()}, "0",
                               "1034 640 480;1034 -3 7");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string id = std::to_string(run.pid);
    EXPECT_EQ(WizardArgs(), (std::vector<std::string>{STAND_IN_WIZARD, "-n", "-h" + id, "-symbol", "-p2", "-x640",
                                                      "-y-20", Design()}));
    const std::string d = designs.string() + "/";
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                  "host " + id + ": starting " + STAND_IN_WIZARD + " -n -h" + id
                                      + " -symbol -p2 -x640 -y-20 " + Design(),
                                  "page exit: corner at (640, 480)",
                                  "page exit: corner at (-3, 7)",
                                  "wizard ended with exit status 0: finished: the variation was written",
                                  "files the wizard writes:",
                                  "  present  " + d + "f.cnx  (retrieval information)",
                                  "  present  ./f.vec  (simulation vectors)",
                                  "files the host would create from them (tarnwick does not create them):",
                                  "  absent   " + d + "f.vhd  (design file)",
                                  "  absent   " + d + "f.inc  (include file)",
                                  "  absent   " + d + "f.cmp  (component declaration)",
                                  "  absent   " + d + "f.sym  (symbol file)",
                              }));
    EXPECT_EQ(run.err, "");
}

TEST_F(TarnwickRun, ExitStatusIsTheWizardsWithItsMeaning)
{
    struct Case {
        std::string status;
        int expectedExit;
        std::string outcome;
        bool written;
    };
    const std::vector<Case> cases = {
        {"0", 0, "wizard ended with exit status 0: finished: the variation was written", true},
        {"1", 1, "wizard ended with exit status 1: start-up failed", false},
        {"2", 2, "wizard ended with exit status 2: cancelled", false},
        {"3", 3, "wizard ended with exit status 3: back to the host's pages: the variation was written", true},
        {"9", 9, "wizard ended with exit status 9: the wizard ended abnormally", false},
        {"kill", 128 + 9, "wizard ended with signal 9: the wizard ended abnormally", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        fs::remove(designs / "f.cnx");
        fs::remove(work / "f.vec");
        const ProcessRun run = Run({"-silent", Design()}, c.status, "1034 10 20");
        EXPECT_EQ(run.exitStatus, c.expectedExit) << run.err;
        EXPECT_TRUE(Contains(run.out, "page exit: corner at (10, 20)\n")) << run.out;
        EXPECT_TRUE(Contains(run.out, c.outcome + "\n")) << run.out;
        const std::string mark = c.written ? "  present  " : "  absent   ";
        EXPECT_TRUE(Contains(run.out, mark + designs.string() + "/f.cnx")) << run.out;
        EXPECT_TRUE(Contains(run.out, mark + "./f.vec")) << run.out;
        EXPECT_EQ(WizardArgs().back(), Design());
        EXPECT_EQ(WizardArgs()[WizardArgs().size() - 2], "-silent");
    }
}

TEST_F(TarnwickRun, MessagesThatAreNoPageExitAreShownAsIgnored)
{
    const ProcessRun run = Run({Design()}, "2", "1034 1 2;1024 5 6;\x01junk;1034 3 4");
    EXPECT_EQ(run.exitStatus, 2);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 5u) << run.out;
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 5),
              (std::vector<std::string>{"page exit: corner at (1, 2)",
                                        "ignored a message that is not a page exit: \"1024 5 6\"",
                                        "ignored a message that is not a page exit: \"?junk\"",
                                        "page exit: corner at (3, 4)"}));
}

TEST_F(TarnwickRun, MissingWizardIsReportedAndEndsWithStatusOne)
{
    const std::string missing = (root / "no-such-wizard").string();
    const ProcessRun run = RunProgram({TARNWICK_EXE, "--zorvex", missing, Design()}, work);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(Contains(run.err, "cannot start the wizard " + missing + ": No such file or directory")) << run.err;
    EXPECT_FALSE(Contains(run.out, "wizard ended")) << run.out;
}

TEST_F(TarnwickRun, WizardBesideTarnwickIsTheDefault)
{
    fs::copy_file(TARNWICK_EXE, root / "tarnwick");
    fs::copy_file(STAND_IN_WIZARD, root / "zorvex");
    fs::permissions(root / "tarnwick", fs::perms::owner_all);
    fs::permissions(root / "zorvex", fs::perms::owner_all);
    const ProcessRun run = RunProgram({(root / "tarnwick").string(), "-n", Design()}, work,
                                      {{"STAND_IN_STATUS", "2"}, {"STAND_IN_ARGS", (root / "args.txt").string()}});
    EXPECT_EQ(run.exitStatus, 2) << run.err;
    ASSERT_FALSE(WizardArgs().empty());
    EXPECT_EQ(WizardArgs().front(), (root / "zorvex").string());
}

TEST_F(TarnwickRun, BadCommandLineShowsUsageAndStartsNothing)
{
    const ProcessRun run = Run({"-q", Design()}, "0");
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(Contains(run.err, "tarnwick: unknown option -q\n")) << run.err;
    EXPECT_TRUE(Contains(run.err, "usage: tarnwick")) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(root / "args.txt"));
}

} // namespace
