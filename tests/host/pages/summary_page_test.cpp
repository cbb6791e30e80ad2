#include "host/summary_page.h"

#include "tests/host/pages/page_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QTextDocument>
#include <QToolTip>

namespace {

using Files = std::vector<std::string>;
using SummaryPageTest = PageFixture;

// Lets the GUI process events, at most two seconds, until done() holds.
bool WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

QListWidget* ShownList()
{
    QWidget* window = QApplication::activeModalWidget();
    return window != nullptr ? window->findChild<QListWidget*>() : nullptr;
}

// What the pointer resting on row of the list shows as a tooltip, as plain text; empty for none.
std::string ToolTipOfRow(QListWidget& list, int row)
{
    QToolTip::hideText();
    const QPoint point = list.visualItemRect(list.item(row)).center();
    QHelpEvent help(QEvent::ToolTip, point, list.viewport()->mapToGlobal(point));
    QCoreApplication::sendEvent(list.viewport(), &help);
    if (!QToolTip::isVisible())
        return {};
    QTextDocument text;
    text.setHtml(QToolTip::text());
    return text.toPlainText().toStdString();
}

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

// With the focus the list shows a focus frame and outlines its current entry, which clicks and
// the arrow keys move; nothing ever looks chosen: the list looks exactly as with that entry
// made current by the program, and nothing is selected.
TEST_F(SummaryPageTest, NoEntryLooksChosenWhateverIsClickedOrPressed)
{
    SummaryPage page(app.directory);
    for (const char* file : {"f.tdf", "f.inc", "f.cmp"})
        page.AddFile(file);
    Show(page, [&](Dialog& dialog) {
        QListWidget* list = ShownList();
        ASSERT_NE(list, nullptr);
        QWidget* window = list->window();
        window->activateWindow();
        ASSERT_TRUE(WaitFor([&] { return window->isActiveWindow(); }));
        dialog.SetFocus(kSummaryFileList);
        ASSERT_TRUE(WaitFor([&] { return list->hasFocus(); }));
        EXPECT_EQ(list->currentRow(), 0);
        const auto look = [&] { return list->grab().toImage(); };
        std::vector<QImage> current;
        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentRow(row, QItemSelectionModel::NoUpdate);
            current.push_back(look());
        }
        EXPECT_NE(current[0], current[1]) << "the current entry is not outlined";
        list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        // A click on the second entry, the pointer resting there, then the arrow keys.
        const QPoint second = list->visualItemRect(list->item(1)).center();
        for (const QEvent::Type type : {QEvent::MouseMove, QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent mouse(type, second, list->viewport()->mapToGlobal(second),
                              type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(list->viewport(), &mouse);
        }
        EXPECT_EQ(list->currentRow(), 1);
        EXPECT_EQ(look(), current[1]);
        for (const auto& [key, row] : {std::pair{Qt::Key_Down, 2}, {Qt::Key_Down, 2}, {Qt::Key_Up, 1}}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(list, &press);
            EXPECT_EQ(list->currentRow(), row);
            EXPECT_EQ(look(), current[size_t(row)]);
        }
        EXPECT_TRUE(list->selectedItems().isEmpty());
        // Without the focus neither the frame nor the outline is drawn.
        dialog.SetFocus(kNextButton);
        ASSERT_TRUE(WaitFor([&] { return !list->hasFocus(); }));
        EXPECT_NE(look(), current[1]);
    });
}

// The picture and the list keep the classic frame's room above the separator, whatever the
// window system's frame: the separator hangs from the outer edge, the template from the client's.
TEST_F(SummaryPageTest, TemplateKeepsItsGapAboveTheSeparator)
{
    SummaryPage page(app.directory);
    page.AddFile("f.tdf");
    Show(page, [&](Dialog& dialog) {
        const int separator = dialog.ControlRect(kSeparator).top;
        const QWidget* window = QApplication::activeModalWidget();
        ASSERT_NE(window, nullptr);
        int lowest = 0;
        for (const QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisible() && child->geometry().bottom() + 1 <= separator)
                lowest = std::max(lowest, child->geometry().bottom() + 1);
        }
        // The template is 151 units high: 245 pixels; the list ends at 244, the picture at 245.
        EXPECT_EQ(lowest, 245);
        EXPECT_GE(separator - lowest, 3);
    });
}

TEST_F(SummaryPageTest, AnEntryTooLongForTheListShowsItsWholePathAsATooltip)
{
    const std::string deep = "/work/" + std::string(60, 'd') + "/<x> & \"y\"/f.tdf";
    SummaryPage page(app.directory);
    page.AddFile("f.inc");
    page.AddFile(deep);
    Show(page, [&](Dialog&) {
        QListWidget* list = ShownList();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(ToolTipOfRow(*list, 0), "");
        EXPECT_EQ(ToolTipOfRow(*list, 1), deep);
        QToolTip::hideText();
    });
}

// A keyboard user reads the whole path too: the entry the arrow keys make current shows its
// tooltip, below the list, leaving every entry readable.
TEST_F(SummaryPageTest, TheCurrentEntryShowsItsWholePathByKeyboard)
{
    const std::string deep = "/work/" + std::string(60, 'd') + "/f.tdf";
    SummaryPage page(app.directory);
    page.AddFile("f.inc");
    page.AddFile(deep);
    page.AddFile("g.inc");
    Show(page, [&](Dialog& dialog) {
        QListWidget* list = ShownList();
        ASSERT_NE(list, nullptr);
        list->window()->activateWindow();
        dialog.SetFocus(kSummaryFileList);
        ASSERT_TRUE(WaitFor([&] { return list->hasFocus(); }));
        EXPECT_FALSE(QToolTip::isVisible());
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(list, &down);
        ASSERT_TRUE(WaitFor([] { return QToolTip::isVisible(); }));
        QTextDocument text;
        text.setHtml(QToolTip::text());
        EXPECT_EQ(text.toPlainText().toStdString(), deep);
        const QWidget* tip = nullptr;
        for (const QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->inherits("QTipLabel") && widget->isVisible())
                tip = widget;
        }
        ASSERT_NE(tip, nullptr);
        EXPECT_GE(tip->geometry().top(), list->mapToGlobal(QPoint(0, list->height())).y());
        QToolTip::hideText();
    });
}

} // namespace
