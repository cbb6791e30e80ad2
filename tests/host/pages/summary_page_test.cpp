#include "host/summary_page.h"

#include "tests/host/pages/page_test_support.h"

namespace {

using Files = std::vector<std::string>;
using SummaryPageTest = PageFixture;

TEST_F(SummaryPageTest, ListsTheDesignFilesAndTheSymbolFileOnlyWithItsOption)
{
    for (const int symbolFile : {0, 1}) {
        app.commandLine.symbolFile = symbolFile;
        app.AddSummaryPage();
        auto& page = dynamic_cast<SummaryPage&>(*app.pages.back());
        page.caption = "Host - W [page 4 of 4]";
        Files listed;
        std::string text;
        Show(page, [&](Dialog& dialog) {
            listed = dialog.ListItems(kSummaryFileList);
            text = dialog.WindowText();
        });
        Files expected{"/work/f.tdf", "/work/f.inc", "/work/f.cmp"};
        if (symbolFile)
            expected.push_back("/work/f.sym");
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(text, "Host - W [page 4 of 4] -- Summary");
    }
}

TEST_F(SummaryPageTest, EntriesSplitAtDollarsAndNewlinesAndOnlySlashesMakeFullPaths)
{
    SummaryPage page("/d/");
    page.AddFile("a.v");
    page.fileList += "$/x/y.inc\nb.cmp$$\n$rel/c.sym$c:\\e.v";
    EXPECT_EQ(page.ListedFiles(), (Files{"/d/a.v", "/x/y.inc", "/d/b.cmp", "rel/c.sym", "/d/c:\\e.v"}));
}

TEST_F(SummaryPageTest, EnterLeavesWithNextAndHelpLooksForTheHostHelpFile)
{
    hostValues().hostThreadId = 9;
    hostValues().hostThreadKnown = true;
    app.helpPath = "/nonexistent/dorvane.hlp";
    SummaryPage page(app.directory);
    page.buttonMode = ButtonMode::LastPage;
    page.result = PageResult::Cancel;
    Rect outer;
    Show(page, [&](Dialog& dialog) {
        dialog.PressF1();
        outer = dialog.WindowRect();
        dialog.PressEnter();
    });
    EXPECT_EQ(page.result, PageResult::Next);
    EXPECT_EQ(messenger.posted, (std::vector<PostedPageExit>{{9, outer.right, outer.bottom}}));
    const std::pair<std::string, std::string> shown{
        "Tarnwick Plug-In Manager", "Can't find the Dorvane help file /nonexistent/dorvane.hlp"};
    EXPECT_EQ(messages.shown, (std::vector{shown}));
}

} // namespace
