#include "qt_backend/accessibility.h"

#include "qt_backend/accessible_combo_box.h"
#include "qt_backend/accessible_label.h"
#include "qt_backend/dialog_controls.h"
#include "qt_backend/panel_widget.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

struct PictureText {
    int bitmap;
    const char* name;
    const char* description;
};

// What each embedded picture shows, as a screen reader tells it.
constexpr PictureText kPictureTexts[] = {
    {120, "Convolutional interleaver structure",
     "I branches between an input and an output commutator, with delays of 0, J, 2J up to (I-1)J "
     "symbols; din enters at the left, dout leaves at the right."},
    {121, "Block interleaver structure",
     "An array of I rows by J columns; din is written row by row, dout is read column by column."},
    {122, "Convolutional deinterleaver structure",
     "I branches between an input and an output commutator, with delays of (I-1)J, (I-2)J down to "
     "J and 0 symbols; din enters at the left, dout leaves at the right."},
    {123, "Block deinterleaver structure",
     "An array of I rows by J columns; din is written column by column, dout is read row by row."},
    {1012, "Wizard picture", "A wizard's hat and a magic wand above three block symbols."},
};

const PictureText* FindPictureText(int bitmap)
{
    for (const PictureText& text : kPictureTexts) {
        if (text.bitmap == bitmap)
            return &text;
    }
    return nullptr;
}

// text without mnemonic markers ("&&" stands for "&") and without blanks at either end.
QString WithoutMnemonics(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            ++i;
            if (i == text.size())
                break;
        }
        plain.append(text[i]);
    }
    return plain.trimmed();
}

QString ShownText(const DialogControl& control)
{
    switch (control.type) {
    case ControlType::Static:
        return static_cast<const QLabel*>(control.widget)->text();
    case ControlType::Edit:
        return static_cast<const QLineEdit*>(control.widget)->text();
    case ControlType::MultilineEdit:
        return static_cast<const QPlainTextEdit*>(control.widget)->toPlainText();
    default:
        return QString();
    }
}

// The label of the value box at index: the static text or single-line read-only edit before it,
// past pictures and group boxes. Null when another control comes first.
const DialogControl* LabelOf(const std::vector<std::unique_ptr<DialogControl>>& controls, size_t index)
{
    while (index > 0) {
        const DialogControl& before = *controls[--index];
        if (before.type == ControlType::Static || before.type == ControlType::Edit)
            return &before;
        if (before.type != ControlType::Picture && before.type != ControlType::GroupBox)
            return nullptr;
    }
    return nullptr;
}

// A push button's text as its name: without mnemonic markers and without the arrows that point
// the way ("< Back", "Next >"), which a screen reader would read out as "less than".
QString ButtonName(const QString& text)
{
    QString name = WithoutMnemonics(text);
    if (name.startsWith(QLatin1Char('<')))
        name.remove(0, 1);
    if (name.endsWith(QLatin1Char('>')))
        name.chop(1);
    return name.trimmed();
}

// Ties a value box to its label both ways: a static text as the box's buddy (the toolkit then
// reports both relations), a read-only edit through the label interface.
void TieLabel(const DialogControl& label, QWidget& box)
{
    if (label.type == ControlType::Static) {
        auto* text = static_cast<QLabel*>(label.widget);
        if (text->buddy() != &box)
            text->setBuddy(&box);
        SetLabelOf(box, nullptr);
    } else {
        SetLabelOf(box, label.widget);
    }
}

// The title of the smallest group box around the control, empty when none is around it.
QString GroupTitleAround(const std::vector<std::unique_ptr<DialogControl>>& controls, const QWidget& widget)
{
    const QGroupBox* around = nullptr;
    for (const auto& control : controls) {
        if (control->type != ControlType::GroupBox)
            continue;
        const auto* box = static_cast<const QGroupBox*>(control->widget);
        const bool contains = box->geometry().contains(widget.geometry());
        if (contains && (around == nullptr || around->geometry().contains(box->geometry())))
            around = box;
    }
    return around != nullptr ? WithoutMnemonics(around->title()) : QString();
}

// Our own interfaces where the toolkit's would not read well; null lets the toolkit answer.
QAccessibleInterface* AccessibleFor(const QString& className, QObject* object)
{
    // A panel is painted by its owner: to a screen reader it is a picture, not an empty area.
    if (className == QLatin1String("QWidget")) {
        if (auto* panel = dynamic_cast<QtPanelWidget*>(object))
            return new QAccessibleWidget(panel, QAccessible::Graphic);
    }
    if (className == QLatin1String("QComboBox"))
        return new QtAccessibleComboBox(static_cast<QComboBox*>(object));
    if (className == QLatin1String("QLineEdit") && object != nullptr && IsMarkedAsLabel(*object))
        return new QtAccessibleLabel(static_cast<QLineEdit*>(object));
    return nullptr;
}

} // namespace

void UpdateAccessibleTexts(const DialogControls& controls)
{
    const auto& all = controls.all();
    for (size_t index = 0; index < all.size(); ++index) {
        const DialogControl& control = *all[index];
        QWidget& widget = *control.widget;
        switch (control.type) {
        case ControlType::Combo:
        case ControlType::ListBox:
            if (const DialogControl* label = LabelOf(all, index)) {
                SetAccessibleTextOf(widget, AccessibleText::Name, WithoutMnemonics(ShownText(*label)));
                TieLabel(*label, widget);
            }
            break;
        case ControlType::PushButton:
            SetAccessibleTextOf(widget, AccessibleText::Name,
                                ButtonName(static_cast<const QAbstractButton&>(widget).text()));
            break;
        case ControlType::RadioButton:
            SetAccessibleTextOf(widget, AccessibleText::Description, GroupTitleAround(all, widget));
            break;
        case ControlType::Edit:
            SetAccessibleTextOf(widget, AccessibleText::Name, ShownText(control));
            break;
        case ControlType::MultilineEdit:
            // A paragraph that changes with the settings: the page gives it a short name, the
            // paragraph is its description, and a change of it is announced as the text changes.
            SetAccessibleTextOf(widget, AccessibleText::Description, ShownText(control));
            break;
        case ControlType::Picture:
            if (const PictureText* text = FindPictureText(control.bitmap)) {
                SetAccessibleTextOf(widget, AccessibleText::Name, QString::fromUtf8(text->name));
                SetAccessibleTextOf(widget, AccessibleText::Description, QString::fromUtf8(text->description));
            } else {
                SetAccessibleTextOf(widget, AccessibleText::Name, QString());
                SetAccessibleTextOf(widget, AccessibleText::Description, QString());
            }
            break;
        default:
            break;
        }
    }
}

void SetAccessibleTextOf(QWidget& widget, AccessibleText which, const QString& text)
{
    if (which == AccessibleText::Name) {
        if (widget.accessibleName() != text)
            widget.setAccessibleName(text);
    } else if (widget.accessibleDescription() != text) {
        widget.setAccessibleDescription(text);
    }
}

QString AccessibleTextOf(QWidget& widget, AccessibleText which)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&widget);
    if (accessible == nullptr)
        return QString();
    return accessible->text(which == AccessibleText::Name ? QAccessible::Name : QAccessible::Description);
}

void InstallAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(AccessibleFor);
        return true;
    }();
    (void)installed;
}
