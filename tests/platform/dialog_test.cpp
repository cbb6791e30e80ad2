#include "platform/dialog.h"

#include "tests/platform/gui_test_support.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using Command = std::pair<int, Notification>;

ControlTemplate Control(int id, ControlKind kind, const std::string& text, int x, int y, int cx, int cy,
                        bool tabStop = false)
{
    ControlTemplate control;
    control.id = id;
    control.kind = kind;
    control.text = text;
    control.x = x;
    control.y = y;
    control.cx = cx;
    control.cy = cy;
    control.tabStop = tabStop;
    return control;
}

DialogTemplate SmallTemplate()
{
    DialogTemplate t;
    t.id = 900;
    t.cx = 200;
    t.cy = 120;
    t.caption = "Test";
    ControlTemplate combo = Control(1026, ControlKind::DropDownCombo, "", 10, 70, 30, 60, true);
    combo.items = {"2", "3", "4"};
    ControlTemplate picture = Control(1045, ControlKind::Picture, "", 5, 5, 10, 10);
    picture.bitmap = 120;
    t.controls = {
        Control(1040, ControlKind::GroupBox, "Algorithm", 10, 10, 90, 50),
        Control(1155, ControlKind::AutoRadioButton, "One", 15, 20, 60, 10, true),
        Control(1157, ControlKind::AutoRadioButton, "Two", 15, 35, 60, 10, true),
        Control(1031, ControlKind::GroupBox, "Direction", 105, 10, 90, 50),
        Control(1151, ControlKind::AutoRadioButton, "Up", 110, 20, 60, 10, true),
        Control(1152, ControlKind::AutoRadioButton, "Down", 110, 35, 60, 10, true),
        combo,
        Control(1042, ControlKind::ReadOnlyEdit, "Number of rows (I)", 50, 70, 60, 12),
        Control(1044, ControlKind::ReadOnlyMultilineEdit, "first text", 50, 85, 60, 20),
        Control(65535, ControlKind::StaticText, "Static one", 120, 65, 70, 8),
        Control(65535, ControlKind::StaticText, "Static two", 120, 75, 70, 8),
        Control(1010, ControlKind::ListBox, "", 120, 85, 70, 30, true),
        picture,
        Control(7, ControlKind::PushButton, "&Apply", 150, 100, 40, 14, true),
    };
    return t;
}

// Value rows as the parameter pages have them: a read-only edit or a static text as the label,
// the combo box on the same row. Every label starts with an L, whose stem runs from the height of
// a digit down to the line the digits stand on.
DialogTemplate RowsTemplate()
{
    DialogTemplate t;
    t.id = 901;
    t.cx = 200;
    t.cy = 90;
    t.caption = "Rows";
    // The button comes first, so that it has the focus and no edit shows a cursor.
    std::vector<ControlTemplate> controls = {Control(7, ControlKind::PushButton, "&Apply", 150, 70, 40, 14, true)};
    const struct {
        int labelId;
        ControlKind kind;
        int y;
        int cy;
    } rows[] = {{1042, ControlKind::ReadOnlyEdit, 10, 12},
                {1034, ControlKind::StaticText, 30, 8},
                {1038, ControlKind::StaticText, 50, 10}};
    for (const auto& row : rows) {
        controls.push_back(Control(row.labelId, row.kind, "Length", 20, row.y, 95, row.cy));
        ControlTemplate combo = Control(row.labelId - 20, ControlKind::DropDownCombo, "", 140, row.y, 27, 75, true);
        combo.items = {"2", "14"};
        controls.push_back(combo);
    }
    t.controls = controls;
    return t;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StartTestGui()); }

    const DialogTemplate dialogTemplate = SmallTemplate();
    RecordingHandler handler;
    Dialog dialog{dialogTemplate, handler};
};

class RecordingPainter : public PanelPainter {
public:
    void Paint(DeviceContext& dc, const Rect& area) override
    {
        ++paints;
        client = area;
        dc.FillSolid(area, PaletteIndex(8));
    }
    int paints = 0;
    Rect client;
};

} // namespace

TEST_F(DialogTest, BuildsTheTemplateInPixels)
{
    RunShown(dialog, [](Dialog& d) {
        EXPECT_EQ(d.WindowText(), "Test");
        EXPECT_EQ(d.ClientRect(), (Rect{0, 0, 300, 195}));
        EXPECT_EQ(d.ControlRect(1040), (Rect{15, 16, 150, 98}));
        EXPECT_EQ(d.ControlRect(1155), (Rect{23, 33, 113, 49}));
        EXPECT_EQ(d.ControlRect(7), (Rect{225, 163, 285, 185}));
        EXPECT_EQ(d.ControlText(1040), "Algorithm");
        EXPECT_EQ(d.ControlText(1157), "Two");
        EXPECT_EQ(d.ControlText(1042), "Number of rows (I)");
        EXPECT_EQ(d.ControlText(1044), "first text");
        EXPECT_EQ(d.ControlText(7), "&Apply");
        // Controls that share an id are never addressed one by one; the last one answers.
        EXPECT_EQ(d.ControlText(65535), "Static two");
        EXPECT_FALSE(d.HasControl(4242));
        EXPECT_EQ(d.ControlRect(4242), Rect{});
    });
}

TEST_F(DialogTest, ComboBoxIsAsHighAsItsEditNotItsList)
{
    RunShown(dialog, [](Dialog& d) {
        const Rect combo = d.ControlRect(1026);
        EXPECT_EQ(combo.left, 15);
        EXPECT_EQ(combo.top, 114);
        EXPECT_EQ(combo.right, 60);
        EXPECT_GT(combo.height(), 10);
        EXPECT_LT(combo.height(), 40);
    });
}

TEST_F(DialogTest, RadioButtonsAreExclusiveWithinTheirGroupOnly)
{
    RunShown(dialog, [](Dialog& d) {
        d.Click(1151);
        d.Click(1155);
        EXPECT_TRUE(d.IsChecked(1155));
        d.Click(1157);
        EXPECT_FALSE(d.IsChecked(1155));
        EXPECT_TRUE(d.IsChecked(1157));
        EXPECT_TRUE(d.IsChecked(1151));
        d.Click(1152);
        EXPECT_FALSE(d.IsChecked(1151));
        EXPECT_TRUE(d.IsChecked(1157));
    });
    EXPECT_EQ(handler.commands, (std::vector<Command>{{1151, Notification::Clicked},
                                                      {1155, Notification::Clicked},
                                                      {1157, Notification::Clicked},
                                                      {1152, Notification::Clicked}}));
}

TEST_F(DialogTest, SetCheckChangesOnlyThatButtonAndReportsNothing)
{
    RunShown(dialog, [](Dialog& d) {
        d.SetCheck(1155, true);
        d.SetCheck(1157, true);
        EXPECT_TRUE(d.IsChecked(1155));
        EXPECT_TRUE(d.IsChecked(1157));
        d.SetCheck(1157, false);
        d.SetCheck(1155, false);
        EXPECT_FALSE(d.IsChecked(1155));
        EXPECT_FALSE(d.IsChecked(1157));
        // A click still clears every other button of the group, however many were checked.
        d.SetCheck(1155, true);
        d.SetCheck(1157, true);
        d.Click(1155);
        EXPECT_TRUE(d.IsChecked(1155));
        EXPECT_FALSE(d.IsChecked(1157));
    });
    EXPECT_EQ(handler.commands, (std::vector<Command>{{1155, Notification::Clicked}}));
}

TEST_F(DialogTest, ComboStartsEmptyWithTheTemplateList)
{
    RunShown(dialog, [](Dialog& d) {
        EXPECT_EQ(d.ComboSelection(1026), -1);
        EXPECT_EQ(d.ControlText(1026), "");
        EXPECT_EQ(d.ComboItemText(1026, 0), "2");
        EXPECT_EQ(d.ComboItemText(1026, 2), "4");
        EXPECT_EQ(d.ComboItemText(1026, 3), "");
        EXPECT_EQ(d.ComboItemText(1026, -1), "");
    });
}

TEST_F(DialogTest, ProgramChangesOfAComboReportNothing)
{
    RunShown(dialog, [](Dialog& d) {
        d.SelectComboItem(1026, 1);
        EXPECT_EQ(d.ComboSelection(1026), 1);
        EXPECT_EQ(d.ControlText(1026), "3");
        // A new edit text leaves no entry selected, even one that reads the same.
        d.SetControlText(1026, "4");
        EXPECT_EQ(d.ComboSelection(1026), -1);
        EXPECT_EQ(d.ControlText(1026), "4");
        d.SelectComboItem(1026, 7);
        EXPECT_EQ(d.ComboSelection(1026), -1);
        EXPECT_EQ(d.ControlText(1026), "");
    });
    EXPECT_TRUE(handler.commands.empty());
}

TEST_F(DialogTest, TypingIntoAComboReportsEditChangesWithoutSelection)
{
    std::vector<std::pair<std::string, int>> seen;  // text and selection at each notification
    RunShown(dialog, [&](Dialog& d) {
        handler.onCommand = [&](int, Notification) { seen.emplace_back(d.ControlText(1026), d.ComboSelection(1026)); };
        d.SelectComboItem(1026, 0);
        d.TypeText(1026, "12");
        EXPECT_EQ(d.ControlText(1026), "12");
    });
    EXPECT_EQ(handler.commands,
              (std::vector<Command>{{1026, Notification::EditChange}, {1026, Notification::EditChange}}));
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{"1", -1}, {"12", -1}}));
}

TEST_F(DialogTest, ChoosingFromTheListReportsTheNewSelection)
{
    std::vector<std::pair<std::string, int>> seen;
    RunShown(dialog, [&](Dialog& d) {
        handler.onCommand = [&](int, Notification) { seen.emplace_back(d.ControlText(1026), d.ComboSelection(1026)); };
        d.TypeText(1026, "9");
        d.ChooseComboItem(1026, 2);
    });
    EXPECT_EQ(handler.commands,
              (std::vector<Command>{{1026, Notification::EditChange}, {1026, Notification::SelectionChange}}));
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{"9", -1}, {"4", 2}}));
}

TEST_F(DialogTest, ListBoxKeepsItsEntriesInOrder)
{
    RunShown(dialog, [](Dialog& d) {
        d.ListAppend(1010, "/d/f.tdf");
        d.ListAppend(1010, "/d/f.inc");
        EXPECT_EQ(d.ListItems(1010), (std::vector<std::string>{"/d/f.tdf", "/d/f.inc"}));
    });
}

TEST_F(DialogTest, EnterEscapeAndF1AreTheDialogCommandsWhereverTheFocusIsOffAPushButton)
{
    for (const int focus : {1155, 1026, 1010, 1044}) {
        RecordingHandler keys;
        Dialog window(dialogTemplate, keys);
        RunShown(window, [focus](Dialog& d) {
            d.SelectComboItem(1026, 0);
            d.TypeText(1026, "3");
            d.SetFocus(focus);
            d.PressEnter();
            d.PressEnter();
            d.PressEscape();
            d.PressF1();
            // Enter in the combo box neither picks the entry that matches its text nor edits it.
            EXPECT_EQ(d.ComboSelection(1026), -1);
            EXPECT_EQ(d.ControlText(1026), "3");
        });
        EXPECT_EQ(keys.oks, 2) << focus;
        EXPECT_EQ(keys.cancels, 1) << focus;
        EXPECT_EQ(keys.helps, 1) << focus;
        // Only the typing was reported.
        EXPECT_EQ(keys.commands, (std::vector<Command>{{1026, Notification::EditChange}})) << focus;
    }
}

TEST_F(DialogTest, EnterPressesThePushButtonThatHasTheFocus)
{
    RunShown(dialog, [](Dialog& d) {
        d.CreateButton(2, "Cancel", Rect{10, 10, 70, 33}, true, false);
        d.CreateButton(12, "&Next >", Rect{80, 10, 140, 33}, true, true);
        d.SetDefaultButton(12, true);
        for (const int button : {7, 2}) {
            d.SetFocus(button);
            d.PressEnter();
        }
    });
    EXPECT_EQ(handler.commands, (std::vector<Command>{{7, Notification::Clicked}}));
    EXPECT_EQ(handler.cancels, 1);
    EXPECT_EQ(handler.oks, 0);
}

TEST_F(DialogTest, ButtonClicksAreCommandsExceptTheCancelButton)
{
    RunShown(dialog, [](Dialog& d) {
        d.CreateButton(2, "Cancel", Rect{10, 10, 70, 33}, true, false);
        d.Click(7);
        d.Click(2);
        d.EnableControl(7, false);
        EXPECT_FALSE(d.IsEnabled(7));
        d.Click(7);
    });
    EXPECT_EQ(handler.commands, (std::vector<Command>{{7, Notification::Clicked}}));
    EXPECT_EQ(handler.cancels, 1);
}

TEST_F(DialogTest, RunModalReturnsTheCodeGivenToEndDialog)
{
    handler.onCancel = [this] { dialog.EndDialog(2); };
    bool stillRunning = true;
    const int code = RunShown(dialog, [&](Dialog& d) {
        d.PressEscape();
        stillRunning = d.IsRunning();
    });
    EXPECT_EQ(code, 2);
    EXPECT_FALSE(stillRunning);
    EXPECT_FALSE(dialog.IsRunning());

    // The same dialog runs again with a new window.
    handler.onCancel = nullptr;
    EXPECT_EQ(RunShown(dialog, [](Dialog& d) { d.EndDialog(1); }), 1);
    EXPECT_EQ(handler.inits, 2);
}

TEST_F(DialogTest, EndedDuringInitialisationIsNeverShown)
{
    handler.onInit = [this] { dialog.EndDialog(7); };
    bool shown = false;
    EXPECT_EQ(RunShown(dialog, [&](Dialog&) { shown = true; }), 7);
    EXPECT_FALSE(shown);
}

TEST_F(DialogTest, CloseBoxIsTheCancelCommandAndDoesNotEndTheDialog)
{
    bool stillRunning = false;
    RunShown(dialog, [&](Dialog& d) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->windowTitle() == "Test")
                window->close();
        }
        stillRunning = d.IsRunning();
    });
    EXPECT_EQ(handler.cancels, 1);
    EXPECT_TRUE(stillRunning);
}

TEST_F(DialogTest, FocusStartsOnTheFirstTabStopAndFollowsSetFocus)
{
    RunShown(dialog, [](Dialog& d) {
        EXPECT_EQ(d.FocusId(), 1155);
        d.SetFocus(1026);
        EXPECT_EQ(d.FocusId(), 1026);
        d.SetFocus(1010);
        EXPECT_EQ(d.FocusId(), 1010);
    });
}

TEST_F(DialogTest, OnlyTheChosenButtonIsTheDefault)
{
    RunShown(dialog, [](Dialog& d) {
        d.CreateButton(12, "&Next >", Rect{100, 200, 160, 223}, true, true);
        d.CreateButton(10, "&Finish", Rect{163, 200, 223, 223}, true, false);
        d.SetDefaultButton(10, true);
        EXPECT_TRUE(d.IsDefaultButton(10));
        d.SetDefaultButton(10, false);
        d.SetDefaultButton(12, true);
        EXPECT_TRUE(d.IsDefaultButton(12));
        EXPECT_FALSE(d.IsDefaultButton(10));
        EXPECT_FALSE(d.IsDefaultButton(7));
        // The focus on another button does not take the default away.
        d.SetFocus(10);
        EXPECT_TRUE(d.IsDefaultButton(12));
        EXPECT_FALSE(d.IsDefaultButton(10));
    });
}

TEST_F(DialogTest, ThePushButtonWithTheFocusIsDrawnAsTheDefault)
{
    RunShown(dialog, [](Dialog& d) {
        d.CreateButton(12, "&Next >", Rect{100, 200, 160, 223}, true, true);
        d.CreateButton(2, "Cancel", Rect{163, 200, 223, 223}, true, false);
        QPushButton* next = nullptr;
        for (QPushButton* button : QApplication::activeModalWidget()->findChildren<QPushButton*>()) {
            if (button->text() == "&Next >")
                next = button;
        }
        ASSERT_NE(next, nullptr);
        d.SetFocus(1155);
        const QImage plain = next->grab().toImage();
        d.SetDefaultButton(12, true);
        const QImage asDefault = next->grab().toImage();
        ASSERT_NE(asDefault, plain);
        // Return would press Cancel: Next no longer looks like the button Return presses.
        d.SetFocus(2);
        EXPECT_EQ(next->grab().toImage(), plain);
        EXPECT_TRUE(d.IsDefaultButton(12));
        d.SetFocus(1026);
        EXPECT_EQ(next->grab().toImage(), asDefault);
    });
}

TEST_F(DialogTest, WindowIsPlacedByItsOuterRectangle)
{
    RunShown(dialog, [](Dialog& d) {
        const Rect outer{100, 80, 500, 400};
        d.MoveWindow(outer);
        EXPECT_EQ(d.WindowRect(), outer);
        const Rect client = d.ClientRect();
        EXPECT_EQ(client.width(), outer.width() - 2 * d.ClientOffsetX());
        EXPECT_EQ(client.height() + d.ClientOffsetY(), outer.height() - d.ClientOffsetX());
    });
}

TEST_F(DialogTest, ChildrenMoveTogetherAndComeAndGo)
{
    RunShown(dialog, [](Dialog& d) {
        d.ShiftChildren(50, 3);
        EXPECT_EQ(d.ControlRect(1040), (Rect{65, 19, 200, 101}));
        EXPECT_EQ(d.ControlRect(7), (Rect{275, 166, 335, 188}));
        d.CreateBlackRect(14, Rect{10, 150, 290, 152});
        EXPECT_EQ(d.ControlRect(14), (Rect{10, 150, 290, 152}));
        d.DestroyControl(14);
        EXPECT_FALSE(d.HasControl(14));
        d.DestroyControl(1040);
        EXPECT_FALSE(d.HasControl(1040));
        EXPECT_TRUE(d.HasControl(1155));
    });
}

TEST_F(DialogTest, PanelPaintsThroughItsPainterAndAgainWhenInvalidated)
{
    RecordingPainter first;
    RecordingPainter second;
    RunShown(dialog, [&](Dialog& d) {
        d.CreatePanel(65535, Rect{0, 0, 40, 30}, first);
        ASSERT_TRUE(ProcessEventsUntil([&] { return first.paints > 0; }));
        EXPECT_EQ(first.client, (Rect{0, 0, 40, 30}));
        const int painted = first.paints;
        d.Invalidate(65535);
        ASSERT_TRUE(ProcessEventsUntil([&] { return first.paints > painted; }));

        // A new panel of the same id replaces the old one.
        d.CreatePanel(65535, Rect{0, 0, 60, 50}, second);
        ASSERT_TRUE(ProcessEventsUntil([&] { return second.paints > 0; }));
        EXPECT_EQ(second.client, (Rect{0, 0, 60, 50}));
        const int before = first.paints;
        d.Invalidate(65535);
        const int secondBefore = second.paints;
        ASSERT_TRUE(ProcessEventsUntil([&] { return second.paints > secondBefore; }));
        EXPECT_EQ(first.paints, before);
    });
}

TEST_F(DialogTest, PicturesTakeTheSizeOfTheirBitmap)
{
    RunShown(dialog, [](Dialog& d) {
        EXPECT_EQ(d.Picture(1045), 120);
        EXPECT_EQ(d.ControlRect(1045), (Rect{8, 8, 8 + 257, 8 + 124}));
        d.SetPicture(1045, 121);
        EXPECT_EQ(d.Picture(1045), 121);
        EXPECT_EQ(d.ControlRect(1045), (Rect{8, 8, 8 + 226, 8 + 126}));
    });
}

TEST(DialogWithoutWindow, AnswersEmptyOutsideRunModal)
{
    RecordingHandler handler;
    const DialogTemplate empty;
    Dialog dialog(empty, handler);
    dialog.SetControlText(1, "x");
    dialog.Click(1);
    dialog.PressEnter();
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_EQ(dialog.ControlText(1), "");
    EXPECT_EQ(dialog.FocusId(), -1);
    EXPECT_EQ(dialog.WindowRect(), Rect{});
    EXPECT_EQ(handler.oks, 0);
    EXPECT_TRUE(handler.commands.empty());
}

TEST_F(DialogTest, LabelsOfAComboRowStandOnTheLineOfItsTextAtOneLeftEdge)
{
    const DialogTemplate rows = RowsTemplate();
    Dialog window(rows, handler);
    RunShown(window, [](Dialog& d) {
        // A label's new text stays where the first one stood.
        d.SetControlText(1042, "Lines (I)");
        QWidget* shown = QApplication::activeModalWidget();
        ASSERT_NE(shown, nullptr);
        const QImage image = shown->grab().toImage();
        std::vector<int> lefts;
        for (const int label : {1042, 1034, 1038}) {
            SCOPED_TRACE(label);
            d.SetControlText(label - 20, "14");
            const QImage digits = shown->grab().toImage();
            const Rect c = d.ControlRect(label - 20);
            // The edit's part of the combo box, left of the arrow.
            const QRect number = InkBox(digits, QRect(c.left + 2, c.top + 2, c.width() - 16, c.height() - 4));
            const Rect l = d.ControlRect(label);
            const QRect text = InkBox(image, QRect(l.left, l.top, l.width(), l.height()));
            ASSERT_FALSE(number.isEmpty());
            ASSERT_FALSE(text.isEmpty());
            const QRect stem = InkBox(image, QRect(text.left(), l.top, 2, l.height()));
            EXPECT_EQ(stem.top(), number.top());
            EXPECT_EQ(stem.bottom(), number.bottom());
            lefts.push_back(text.left());
        }
        EXPECT_EQ(lefts, (std::vector<int>(3, lefts[0])));
    });
}
