// A drop-down combo box of a running dialog handled from the keyboard and the mouse, as the user
// handles it: opening and closing its list, and what its edit shows.
#include "platform/dialog.h"

#include "tests/platform/gui_test_support.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

namespace {

using Command = std::pair<int, Notification>;

constexpr int kCombo = 1026;
constexpr int kButton = 7;

// The box of the number of rows: 14 entries, 7 of them shown at a time, and a button that has the
// focus first.
DialogTemplate ComboTemplate()
{
    ControlTemplate button;
    button.id = kButton;
    button.kind = ControlKind::PushButton;
    button.text = "&Apply";
    button.x = 100;
    button.y = 10;
    button.cx = 40;
    button.cy = 14;
    button.tabStop = true;
    ControlTemplate combo;
    combo.id = kCombo;
    combo.kind = ControlKind::DropDownCombo;
    combo.x = 10;
    combo.y = 10;
    combo.cx = 27;
    combo.cy = 75;
    combo.tabStop = true;
    combo.items = {"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15"};
    DialogTemplate t;
    t.id = 902;
    t.cx = 150;
    t.cy = 100;
    t.caption = "Combo";
    t.controls = {button, combo};
    return t;
}

QComboBox* ShownCombo()
{
    QWidget* window = QApplication::activeModalWidget();
    return window != nullptr ? window->findChild<QComboBox*>() : nullptr;
}

// The text of the highlighted entry of the open list, "(none)" when none is, "(closed)" when the
// list is not open.
std::string Highlighted()
{
    const QComboBox* combo = ShownCombo();
    if (combo == nullptr || !combo->view()->isVisible())
        return "(closed)";
    const QModelIndex current = combo->view()->currentIndex();
    return current.isValid() ? current.data().toString().toStdString() : "(none)";
}

// The rows of the open list that are cut by its edge, as "row: top..bottom" of the viewport.
std::vector<std::string> CutRows()
{
    std::vector<std::string> cut;
    const QAbstractItemView* list = ShownCombo()->view();
    const QRect shown = list->viewport()->rect();
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QRect entry = list->visualRect(list->model()->index(row, 0));
        if (entry.intersects(shown) && !shown.contains(entry))
            cut.push_back(std::to_string(row) + ": " + std::to_string(entry.top()) + ".." + std::to_string(entry.bottom()));
    }
    return cut;
}

// A click on the combo box's arrow.
void ClickArrow()
{
    QComboBox* combo = ShownCombo();
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = true;
    const QPoint arrow =
        combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, combo).center();
    QMouseEvent press(QEvent::MouseButtonPress, arrow, combo->mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(combo, &press);
}

struct Key {
    int key;
    Qt::KeyboardModifiers modifiers;
};
constexpr Key kF4{Qt::Key_F4, Qt::NoModifier};
constexpr Key kAltDown{Qt::Key_Down, Qt::AltModifier};
constexpr Key kAltUp{Qt::Key_Up, Qt::AltModifier};
constexpr Key kDown{Qt::Key_Down, Qt::NoModifier};
constexpr Key kReturn{Qt::Key_Return, Qt::NoModifier};
constexpr Key kEscape{Qt::Key_Escape, Qt::NoModifier};

class DialogComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StartTestGui()); }

    const DialogTemplate dialogTemplate = ComboTemplate();
    RecordingHandler handler;
    Dialog dialog{dialogTemplate, handler};
};

} // namespace

TEST_F(DialogComboBoxTest, OpeningTheListHighlightsTheEntryThatReadsAsTheEditOrNone)
{
    const struct {
        const char* text;
        bool typed;      // typed by the user, else set by the program
        int opener;      // index into openers
        const char* highlighted;
    } cases[] = {
        {"12", false, 0, "12"},    {"8", false, 1, "8"},     {"10", false, 2, "10"},   {"15", false, 3, "15"},
        {"41", true, 0, "(none)"}, {"1", true, 1, "(none)"}, {"", false, 2, "(none)"}, {"12 ", true, 3, "(none)"},
    };
    const std::function<void()> openers[] = {[] { PressKey(kF4.key); },
                                             [] { PressKey(kAltDown.key, kAltDown.modifiers); },
                                             [] { PressKey(kAltUp.key, kAltUp.modifiers); }, ClickArrow};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        RecordingHandler keys;
        Dialog window(dialogTemplate, keys);
        RunShown(window, [&](Dialog& d) {
            // A selection made before the text was changed does not count.
            d.SelectComboItem(kCombo, 0);
            if (c.typed)
                d.TypeText(kCombo, c.text);
            else
                d.SetControlText(kCombo, c.text);
            d.SetFocus(kCombo);
            openers[c.opener]();
            EXPECT_EQ(Highlighted(), c.highlighted);
            // The highlighted entry is in view, and every row in view is whole.
            const QAbstractItemView* list = ShownCombo()->view();
            if (list->currentIndex().isValid()) {
                EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(list->currentIndex())));
            }
            EXPECT_EQ(CutRows(), std::vector<std::string>{});
            EXPECT_EQ(d.ControlText(kCombo), c.text);
            ShownCombo()->hidePopup();
        });
        for (const Command& command : keys.commands)
            EXPECT_EQ(command.second, Notification::EditChange);
    }
}

TEST_F(DialogComboBoxTest, ReturnF4AndAltArrowsTakeTheHighlightedEntryEscapeTakesNothing)
{
    const struct {
        const char* text;
        int steps;   // Down keys pressed in the open list
        Key closer;
        const char* result;
        int selection;
    } cases[] = {
        {"12", 0, kReturn, "12", 10}, {"12", 1, kReturn, "13", 11}, {"12", 1, kF4, "13", 11},
        {"12", 2, kAltUp, "14", 12},  {"12", 1, kAltDown, "13", 11}, {"12", 1, kEscape, "12", -1},
        {"41", 0, kReturn, "41", -1}, {"41", 0, kF4, "41", -1},      {"41", 0, kAltUp, "41", -1},
        {"41", 0, kEscape, "41", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << ", " << c.steps << " down, key " << c.closer.key);
        RecordingHandler keys;
        Dialog window(dialogTemplate, keys);
        RunShown(window, [&](Dialog& d) {
            d.SetControlText(kCombo, c.text);
            d.SetFocus(kCombo);
            PressKey(kF4.key);
            for (int step = 0; step < c.steps; ++step)
                PressKey(kDown.key);
            PressKey(c.closer.key, c.closer.modifiers);
            EXPECT_EQ(Highlighted(), "(closed)");
            EXPECT_EQ(d.ControlText(kCombo), c.result);
            EXPECT_EQ(d.ComboSelection(kCombo), c.selection);
            EXPECT_TRUE(d.IsRunning());
        });
        // Closing the list is not the dialog's accept or cancel.
        EXPECT_EQ(keys.oks, 0);
        EXPECT_EQ(keys.cancels, 0);
        const std::vector<Command> taken{{kCombo, Notification::SelectionChange}};
        EXPECT_EQ(keys.commands, c.selection >= 0 ? taken : std::vector<Command>{});
    }
}

TEST_F(DialogComboBoxTest, ArrowKeysOnTheClosedBoxStepFromTheEntryThatReadsAsTheEdit)
{
    RunShown(dialog, [](Dialog& d) {
        d.SelectComboItem(kCombo, 0);
        d.SetControlText(kCombo, "12");
        d.SetFocus(kCombo);
        PressKey(kDown.key);
        EXPECT_EQ(d.ControlText(kCombo), "13");
        EXPECT_EQ(d.ComboSelection(kCombo), 11);
    });
}

TEST_F(DialogComboBoxTest, TheEditShowsItsTextFromTheFirstCharacterAndThreeDigitsClearOfTheFrame)
{
    RunShown(dialog, [](Dialog& d) {
        QComboBox* combo = ShownCombo();
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = true;
        const QRect field =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        std::vector<int> starts;
        for (const char* text : {"2", "204", "2040", "20400"}) {
            SCOPED_TRACE(text);
            d.SetControlText(kCombo, text);
            const QRect ink = InkBox(combo->grab().toImage(), field);
            ASSERT_FALSE(ink.isEmpty());
            starts.push_back(ink.left());
            // The first character keeps two pixels from the frame; three digits keep two from the
            // arrow.
            EXPECT_GE(ink.left() - field.left(), 2);
            if (std::string(text).size() <= 3) {
                EXPECT_GE(field.right() - ink.right(), 2);
            }
        }
        EXPECT_EQ(starts, std::vector<int>(4, starts[0]));
    });
}
