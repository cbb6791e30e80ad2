#include "host/summary_page.h"

#include "host/wizard_app.h"
#include "symbol/symbol_graphic.h"
#include "tests/host/pages/page_test_support.h"
#include "tests/support/recording_services.h"

#include <gtest/gtest.h>

namespace {

using Files = std::vector<std::string>;

class SummaryPageTest : public PageFixture {
protected:
    SummaryPageTest()
        : symbol(ReferenceSymbolWidth(), 192),
          app("ZORVEX - 1.00", symbol, WizardServices{messages, messenger, "/opt/tools/zorvex"})
    {
        app.directory = "/work/designs/";
        app.baseName = "f";
        app.extension = ".tdf";
    }

    SummaryPage& AddSummary()
    {
        app.AddSummaryPage();
        auto* page = dynamic_cast<SummaryPage*>(app.pages.back().get());
        EXPECT_NE(page, nullptr);
        return *page;
    }

    RecordingMessages messages;
    RecordingMessenger messenger;
    SymbolGraphic symbol;
    WizardApp app;
};

TEST_F(SummaryPageTest, ListsDesignIncludeAndComponentFiles)
{
    SummaryPage& page = AddSummary();
    Files listed;
    WhenShown([&](Dialog& dialog) { listed = dialog.ListItems(kSummaryFileList); });
    page.ShowModal();
    EXPECT_EQ(listed, (Files{"/work/designs/f.tdf", "/work/designs/f.inc", "/work/designs/f.cmp"}));
}

TEST_F(SummaryPageTest, SymbolOptionAddsTheSymbolFile)
{
    app.commandLine.symbolFile = 1;
    SummaryPage& page = AddSummary();
    Files listed;
    WhenShown([&](Dialog& dialog) { listed = dialog.ListItems(kSummaryFileList); });
    page.ShowModal();
    EXPECT_EQ(listed, (Files{"/work/designs/f.tdf", "/work/designs/f.inc", "/work/designs/f.cmp",
                             "/work/designs/f.sym"}));
}

TEST_F(SummaryPageTest, ShowingTwiceListsEachFileOnce)
{
    SummaryPage& page = AddSummary();
    Files listed;
    WhenShown([&](Dialog& dialog) { listed = dialog.ListItems(kSummaryFileList); });
    page.ShowModal();
    page.ShowModal();
    EXPECT_EQ(listed.size(), 3u);
}

TEST_F(SummaryPageTest, EntriesAreSplitAtDollarsAndNewlinesAndOnlySlashesMakeFullPaths)
{
    SummaryPage page("/d/");
    page.fileList = "$a.v$/x/y.inc\nb.cmp$$\n$rel/c.sym$c:\\e.v";
    EXPECT_EQ(page.ListedFiles(),
              (Files{"/d/a.v", "/x/y.inc", "/d/b.cmp", "rel/c.sym", "/d/c:\\e.v"}));
}

TEST_F(SummaryPageTest, AddFilePrefixesEveryNameWithADollar)
{
    SummaryPage page("/d/");
    page.AddFile("f.v");
    page.AddFile("f.inc");
    EXPECT_EQ(page.fileList, "$f.v$f.inc");
}

TEST_F(SummaryPageTest, WindowTextEndsWithSummaryAndTheLastPageHasFinishAsDefault)
{
    SummaryPage& page = AddSummary();
    page.caption = "Tarnwick Plug-In Manager - ZORVEX - 1.00 [page 4 of 4]";
    page.buttonMode = ButtonMode::LastPage;
    std::string text;
    bool nextEnabled = true;
    bool finishDefault = false;
    WhenShown([&](Dialog& dialog) {
        text = dialog.WindowText();
        nextEnabled = dialog.IsEnabled(kNextButton);
        finishDefault = dialog.IsDefaultButton(kFinishButton);
    });
    page.ShowModal();
    EXPECT_EQ(text, "Tarnwick Plug-In Manager - ZORVEX - 1.00 [page 4 of 4] -- Summary");
    EXPECT_FALSE(nextEnabled);
    EXPECT_TRUE(finishDefault);
}

TEST_F(SummaryPageTest, EnterSavesTheCornerAndLeavesWithNext)
{
    hostValues().hostThreadId = 9;
    hostValues().hostThreadKnown = true;
    SummaryPage& page = AddSummary();
    page.buttonMode = ButtonMode::LastPage;
    page.result = PageResult::Cancel;
    Rect outer;
    WhenShown([&](Dialog& dialog) {
        outer = dialog.WindowRect();
        dialog.PressEnter();
    });
    page.ShowModal();
    EXPECT_EQ(page.result, PageResult::Next);
    EXPECT_EQ(messenger.posted, (std::vector<PostedPageExit>{{9, outer.right, outer.bottom}}));
}

TEST_F(SummaryPageTest, HelpLooksForTheHostHelpFile)
{
    app.helpPath = "/nonexistent/zorvex-test/dorvane.hlp";
    SummaryPage& page = AddSummary();
    WhenShown([&](Dialog& dialog) { dialog.PressF1(); });
    page.ShowModal();
    EXPECT_EQ(messages.shown,
              (std::vector<std::pair<std::string, std::string>>{
                  {"Tarnwick Plug-In Manager",
                   "Can't find the Dorvane help file /nonexistent/zorvex-test/dorvane.hlp"}}));
}

} // namespace
