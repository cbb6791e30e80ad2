#include "host/wizard_app.h"
#include "host/wizard_page.h"
#include "symbol/symbol_graphic.h"
#include "tests/support/recording_services.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>

namespace {

// Everything a page of the loop did, in the order the loop asked.
struct Showing {
    int page;
    std::string caption;
    ButtonMode mode;
    int step;
};

// A page that answers from a script instead of showing a dialog.
class ScriptedPage : public WizardPage {
public:
    ScriptedPage(int number, std::vector<Showing>& log, std::deque<PageResult>& script, int steps = 1)
        : WizardPage(0), number_(number), log_(log), script_(script), steps_(steps)
    {
    }
    void ShowModal() override
    {
        log_.push_back({number_, caption, buttonMode, step});
        if (script_.empty()) {
            result = PageResult::Cancel;
            return;
        }
        result = script_.front();
        script_.pop_front();
    }
    int StepCount() override { return steps_; }

private:
    int number_;
    std::vector<Showing>& log_;
    std::deque<PageResult>& script_;
    int steps_;
};

class ScriptedWizard : public WizardApp {
public:
    ScriptedWizard(SymbolGraphic& symbol, RecordingMessages& messages, RecordingMessenger& messenger, int pageCount)
        : WizardApp("ZORVEX - 1.00", symbol,
                    WizardServices{messages, messenger, "/opt/tools/zorvex", [this] { return pagesCanBeShown_; }}),
          pageCount_(pageCount)
    {
    }
    void SetPagesCanBeShown(bool can) { pagesCanBeShown_ = can; }
    bool CreatePages() override
    {
        for (int i = 1; i <= pageCount_; ++i)
            AddPage(std::make_unique<ScriptedPage>(i, log, script, steps));
        return WizardApp::CreatePages();
    }
    void FinishWizard() override
    {
        ++finishes;
        WizardApp::FinishWizard();
    }
    bool CanFinish() override { return canFinish; }

    std::vector<Showing> log;
    std::deque<PageResult> script;
    int steps = 1;
    int finishes = 0;
    bool canFinish = true;

private:
    int pageCount_;
    bool pagesCanBeShown_ = true;
};

class PageLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        hostValues() = HostValues{};
        directory = std::filesystem::temp_directory_path() / ("zorvex-loop-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    std::string Design() const { return (directory / "f.vhd").string(); }
    std::filesystem::path Cnx() const { return directory / "f.cnx"; }

    std::vector<int> PagesShown(const ScriptedWizard& wizard) const
    {
        std::vector<int> pages;
        for (const Showing& s : wizard.log)
            pages.push_back(s.page);
        return pages;
    }

    SymbolGraphic symbol{100, 192};
    RecordingMessages messages;
    RecordingMessenger messenger;
    std::filesystem::path directory;
};

using R = PageResult;

} // namespace

TEST_F(PageLoopTest, NextThroughEveryPageFinishesWithStatusZero)
{
    ScriptedWizard wizard(symbol, messages, messenger, 4);
    wizard.script = {R::Next, R::Next, R::Next, R::Next};
    ASSERT_TRUE(wizard.Run("zorvex -n " + Design()));
    EXPECT_EQ(PagesShown(wizard), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(wizard.finishes, 1);
    EXPECT_EQ(wizard.ExitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(Cnx()));
    EXPECT_TRUE(wizard.pages.empty());
}

TEST_F(PageLoopTest, CaptionsAndButtonModes)
{
    ScriptedWizard wizard(symbol, messages, messenger, 4);
    wizard.script = {R::Next, R::Next, R::Next, R::Finish};
    wizard.Run("zorvex -n " + Design());
    ASSERT_EQ(wizard.log.size(), 4u);
    EXPECT_EQ(wizard.log[0].caption, "Tarnwick Plug-In Manager - ZORVEX - 1.00 [page 1 of 4]");
    EXPECT_EQ(wizard.log[3].caption, "Tarnwick Plug-In Manager - ZORVEX - 1.00 [page 4 of 4]");
    EXPECT_EQ(wizard.log[0].mode, ButtonMode::FirstPage);
    EXPECT_EQ(wizard.log[1].mode, ButtonMode::MiddlePage);
    EXPECT_EQ(wizard.log[2].mode, ButtonMode::MiddlePage);
    EXPECT_EQ(wizard.log[3].mode, ButtonMode::LastPage);
}

TEST_F(PageLoopTest, PageOffsetCountsOnAndAllowsBackOnTheFirstPage)
{
    const struct {
        const char* option;
        const char* first;
        const char* last;
    } cases[] = {
        {"-p2", "[page 3 of 6]", "[page 6 of 6]"},
        // The largest offset counts on past the int range instead of overflowing.
        {"-p2147483647", "[page 2147483648 of 2147483651]", "[page 2147483651 of 2147483651]"},
    };
    for (const auto& c : cases) {
        ScriptedWizard wizard(symbol, messages, messenger, 4);
        wizard.script = {R::Next, R::Next, R::Next, R::Next};
        wizard.Run("zorvex -n " + std::string(c.option) + " " + Design());
        ASSERT_EQ(wizard.log.size(), 4u) << c.option;
        EXPECT_EQ(wizard.log[0].caption, std::string("Tarnwick Plug-In Manager - ZORVEX - 1.00 ") + c.first);
        EXPECT_EQ(wizard.log[3].caption, std::string("Tarnwick Plug-In Manager - ZORVEX - 1.00 ") + c.last);
        EXPECT_EQ(wizard.log[0].mode, ButtonMode::FirstPageBackAllowed) << c.option;
    }
}

TEST_F(PageLoopTest, BackMovesOnePageBack)
{
    ScriptedWizard wizard(symbol, messages, messenger, 4);
    wizard.script = {R::Next, R::Next, R::Back, R::Back, R::Next, R::Finish};
    wizard.Run("zorvex -n " + Design());
    EXPECT_EQ(PagesShown(wizard), (std::vector<int>{1, 2, 3, 2, 1, 2}));
    EXPECT_EQ(wizard.ExitCode(), 0);
}

TEST_F(PageLoopTest, FinishOnTheFirstPageWrites)
{
    ScriptedWizard wizard(symbol, messages, messenger, 4);
    wizard.script = {R::Finish};
    wizard.Run("zorvex -n " + Design());
    EXPECT_EQ(wizard.finishes, 1);
    EXPECT_EQ(wizard.ExitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(Cnx()));
}

TEST_F(PageLoopTest, BackOutOfTheFirstPageWritesAndExitsWithThree)
{
    ScriptedWizard wizard(symbol, messages, messenger, 4);
    wizard.script = {R::Back};
    wizard.Run("zorvex -n -p1 " + Design());
    EXPECT_EQ(wizard.finishes, 1);
    EXPECT_EQ(wizard.ExitCode(), 3);
    EXPECT_TRUE(std::filesystem::exists(Cnx()));
}

TEST_F(PageLoopTest, CancelDeletesTheRetrievalInformationAndExitsWithTwo)
{
    std::ofstream(Cnx()) << "GENERATION: STANDARD\n";
    ScriptedWizard wizard(symbol, messages, messenger, 4);
    wizard.script = {R::Next, R::Cancel};
    wizard.Run("zorvex -n " + Design());
    EXPECT_EQ(wizard.finishes, 0);
    EXPECT_EQ(wizard.ExitCode(), 2);
    EXPECT_FALSE(std::filesystem::exists(Cnx()));
}

TEST_F(PageLoopTest, CancelWithoutAFileIsQuiet)
{
    ScriptedWizard wizard(symbol, messages, messenger, 4);
    wizard.script = {R::Cancel};
    wizard.Run("zorvex -n " + Design());
    EXPECT_EQ(wizard.ExitCode(), 2);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PageLoopTest, RefusedFinishStaysOnThePage)
{
    ScriptedWizard wizard(symbol, messages, messenger, 4);
    wizard.canFinish = false;
    wizard.script = {R::Next, R::Finish, R::Cancel};
    wizard.Run("zorvex -n " + Design());
    EXPECT_EQ(PagesShown(wizard), (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(wizard.ExitCode(), 2);
}

TEST_F(PageLoopTest, SilentRunShowsNothingAndWrites)
{
    ScriptedWizard wizard(symbol, messages, messenger, 4);
    wizard.Run("zorvex -n -silent " + Design());
    EXPECT_TRUE(wizard.log.empty());
    EXPECT_EQ(wizard.finishes, 1);
    EXPECT_EQ(wizard.ExitCode(), 0);
}

TEST_F(PageLoopTest, BackIntoAMultiStepPageStartsAtItsLastStep)
{
    ScriptedWizard wizard(symbol, messages, messenger, 2);
    wizard.steps = 2;
    wizard.script = {R::Next, R::Next, R::Back, R::Cancel};
    wizard.Run("zorvex -n " + Design());
    std::vector<std::pair<int, int>> shown;
    for (const Showing& s : wizard.log)
        shown.emplace_back(s.page, s.step);
    EXPECT_EQ(shown, (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}, {2, 0}, {1, 1}}));
}

TEST_F(PageLoopTest, SinglePageIsFirstAndLast)
{
    ScriptedWizard wizard(symbol, messages, messenger, 1);
    wizard.script = {R::Next};
    wizard.Run("zorvex -n " + Design());
    EXPECT_EQ(wizard.log[0].mode, ButtonMode::FirstPage);
    EXPECT_EQ(wizard.ExitCode(), 0);
}

TEST_F(PageLoopTest, MessagesAboutTheVariationCarryItsNameAndTheTitle)
{
    ScriptedWizard wizard(symbol, messages, messenger, 1);
    wizard.script = {R::Cancel};
    wizard.Run("zorvex -n " + Design());
    EXPECT_EQ(wizard.ReportMessage("Valid I : 2 - 40"), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, "f - ZORVEX - 1.00");
}

TEST_F(PageLoopTest, HelpNamesTheMissingHostHelpFileBesideTheExecutable)
{
    ScriptedWizard wizard(symbol, messages, messenger, 1);
    wizard.script = {R::Cancel};
    wizard.Run("zorvex -n " + Design());
    EXPECT_EQ(wizard.helpPath, "/opt/tools/dorvane.hlp");
    wizard.OnHelp();
    EXPECT_EQ(messages.shown, (std::vector<std::pair<std::string, std::string>>{
                                  {"Tarnwick Plug-In Manager", "Can't find the Dorvane help file /opt/tools/dorvane.hlp"}}));

    messages.shown.clear();
    wizard.helpPath = (directory / "dorvane.hlp").string();
    std::ofstream(wizard.helpPath) << "help";
    wizard.OnHelp();
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PageLoopTest, StartUpFailuresShowTheirMessageAndShowNoPage)
{
    struct Case {
        std::string commandLine;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"zorvex -n", "Can't start the wizard -- no design file has been specified"},
        {"zorvex -n " + (directory / "f.VHD").string(), "Can't start the wizard -- illegal extension in design file name"},
        {"zorvex " + Design(), "Can't open file " + Cnx().string()},
    };
    for (const Case& c : cases) {
        RecordingMessages caseMessages;
        ScriptedWizard wizard(symbol, caseMessages, messenger, 4);
        EXPECT_FALSE(wizard.Run(c.commandLine)) << c.commandLine;
        EXPECT_EQ(wizard.ExitCode(), 1) << c.commandLine;
        EXPECT_TRUE(wizard.log.empty()) << c.commandLine;
        EXPECT_EQ(caseMessages.texts(), std::vector<std::string>{c.message}) << c.commandLine;
    }
}

TEST_F(PageLoopTest, PagesWithoutADisplayFailStartUpAndWriteNothing)
{
    const char* argv[] = {"zorvex", "-n", nullptr};
    const std::string design = Design();
    argv[2] = design.c_str();
    for (const bool silent : {false, true}) {
        RecordingMessages caseMessages;
        ScriptedWizard wizard(symbol, caseMessages, messenger, 4);
        wizard.script = {R::Finish};
        wizard.SetPagesCanBeShown(false);
        const bool started = silent ? wizard.Run("zorvex -silent -n " + design) : wizard.Run(3, argv);
        // A silent run needs no display.
        EXPECT_EQ(started, silent);
        EXPECT_EQ(wizard.ExitCode(), silent ? 0 : 1);
        EXPECT_EQ(std::filesystem::exists(Cnx()), silent);
        EXPECT_TRUE(wizard.log.empty());
        const std::vector<std::string> expected{"Can't start the wizard -- no display to show the pages on"};
        EXPECT_EQ(caseMessages.texts(), silent ? std::vector<std::string>{} : expected);
    }
}

TEST_F(PageLoopTest, WizardWithoutPagesDoesNotStart)
{
    ScriptedWizard wizard(symbol, messages, messenger, 0);
    EXPECT_FALSE(wizard.Run("zorvex -n " + Design()));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Wizard has no valid pages"});
    EXPECT_EQ(wizard.ExitCode(), 1);
}

TEST_F(PageLoopTest, AddingNoPageIsFatal)
{
    StderrMessages stderrMessages;
    WizardApp app("ZORVEX - 1.00", symbol, WizardServices{stderrMessages, messenger, "/opt/tools/zorvex"});
    EXPECT_EXIT(app.AddPage(nullptr), ::testing::ExitedWithCode(1),
                "Fatal error \\(assertion failed\\). The application is unable to continue. Please press OK to exit.");
}
