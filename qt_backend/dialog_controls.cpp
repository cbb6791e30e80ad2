#include "qt_backend/dialog_controls.h"

#include "qt_backend/accessible_label.h"
#include "qt_backend/dialog_combo_box.h"
#include "qt_backend/dialog_window.h"
#include "qt_backend/list_box.h"
#include "qt_backend/panel_widget.h"
#include "qt_backend/read_only_text.h"
#include "qt_backend/text.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>

namespace {

constexpr int kCancelButtonId = 2;
// The room a line edit leaves before its text, inside any text margins.
constexpr int kLineEditIndent = 2;

// The rectangle of a template control in pixels. Like the classic mapping, each edge is converted
// on its own, so neighbouring controls that touch in dialog units touch in pixels too.
QRect PixelRect(const ControlTemplate& control)
{
    const int left = DialogUnitsToPixelsX(control.x);
    const int top = DialogUnitsToPixelsY(control.y);
    const int right = DialogUnitsToPixelsX(control.x + control.cx);
    const int bottom = DialogUnitsToPixelsY(control.y + control.cy);
    return QRect(left, top, right - left, bottom - top);
}

// Read-only edits stand on the dialog's face like labels: no frame and no background of their
// own, so that whatever lies behind them (a group box's panel) shows through. Their text is then
// drawn in the colour of text on that face, which a palette need not make the colour of text on
// an edit's own ground (a dark face with light edits, say).
void LookLikeLabel(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Text, palette.color(group, QPalette::WindowText));
    widget->setPalette(palette);
    widget->setAutoFillBackground(false);
}

// A one-line read-only edit that looks like a label. Made before it joins the window, so that a
// screen reader's first look finds it marked as the label it stands for.
QLineEdit* NewReadOnlyEdit(const QString& text, QWidget& window)
{
    auto* edit = new QLineEdit(text);
    MarkAsLabel(*edit);
    edit->setParent(&window);
    edit->setReadOnly(true);
    edit->setFrame(false);
    edit->setCursorPosition(0);
    LookLikeLabel(edit);
    return edit;
}

// A read-only text of several lines, wrapped at its width, that looks like a label.
QtReadOnlyText* NewReadOnlyText(const QString& text, QWidget& window)
{
    auto* edit = new QtReadOnlyText(text, &window);
    edit->setFrameShape(QFrame::NoFrame);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->document()->setDocumentMargin(1);
    LookLikeLabel(edit);
    LookLikeLabel(edit->viewport());
    return edit;
}

} // namespace

// Sets a radio button's state without touching the others of its group, as the classic check
// message does; an exclusive group would refuse to clear its checked button otherwise.
void DialogControls::SetButtonChecked(QAbstractButton* button, bool checked)
{
    QButtonGroup* group = button->group();
    const bool exclusive = group != nullptr && group->exclusive();
    if (exclusive)
        group->setExclusive(false);
    button->setChecked(checked);
    if (exclusive)
        group->setExclusive(true);
}

DialogControls::DialogControls(QtDialogWindow& window, DialogHandler& handler) : window_(window), handler_(handler)
{
}

void DialogControls::AddFromTemplate(const ControlTemplate& control)
{
    if (control.group || control.kind == ControlKind::GroupBox)
        ++groupNumber_;
    const QRect rect = PixelRect(control);
    const QString text = ToQString(control.text);
    switch (control.kind) {
    case ControlKind::PushButton:
        AddButton(control.id, control.text, rect, control.tabStop, false);
        break;
    case ControlKind::AutoRadioButton:
        Register(control.id, ControlType::RadioButton, CreateRadioButton(control.text), rect, control.tabStop);
        break;
    case ControlKind::GroupBox: {
        auto* box = new QGroupBox(text, &window_);
        Register(control.id, ControlType::GroupBox, box, rect, false);
        // A frame around other controls, not their parent: it stays behind them.
        box->lower();
        break;
    }
    case ControlKind::DropDownCombo:
        CreateCombo(control, rect);
        break;
    case ControlKind::ReadOnlyEdit:
        Register(control.id, ControlType::Edit, NewReadOnlyEdit(text, window_), rect, control.tabStop);
        break;
    case ControlKind::ReadOnlyMultilineEdit:
        Register(control.id, ControlType::MultilineEdit, NewReadOnlyText(text, window_), rect, control.tabStop);
        break;
    case ControlKind::StaticText: {
        auto* label = new QLabel(text, &window_);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        Register(control.id, ControlType::Static, label, rect, false);
        break;
    }
    case ControlKind::Picture: {
        auto* label = new QLabel(&window_);
        Register(control.id, ControlType::Picture, label, rect, false);
        SetPicture(control.id, control.bitmap);
        break;
    }
    case ControlKind::ListBox: {
        auto* list = new QtListBox(&window_);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Register(control.id, ControlType::ListBox, list, rect, control.tabStop);
        break;
    }
    }
}

void DialogControls::AddButton(int id, const std::string& text, const QRect& rect, bool tabStop, bool group)
{
    if (group)
        ++groupNumber_;
    auto* button = new QPushButton(ToQString(text), &window_);
    // Only the button chosen with SetDefaultButton is the default; it does not follow the focus.
    button->setAutoDefault(false);
    QObject::connect(button, &QAbstractButton::clicked, button, [this, button] { OnButtonClicked(button); });
    Register(id, ControlType::PushButton, button, rect, tabStop);
}

void DialogControls::AddBlackRect(int id, const QRect& rect)
{
    // Drawn in the colour of the lines and text on the dialog's face (black with the default
    // palette), so that it stays visible whatever face the palette gives the dialog.
    auto* bar = new QWidget(&window_);
    bar->setBackgroundRole(QPalette::WindowText);
    bar->setAutoFillBackground(true);
    Register(id, ControlType::BlackRect, bar, rect, false);
}

void DialogControls::AddPanel(int id, const QRect& rect, PanelPainter& painter)
{
    for (const auto& control : controls_) {
        if (control->id == id && control->type == ControlType::Panel) {
            Remove(id);
            break;
        }
    }
    Register(id, ControlType::Panel, new QtPanelWidget(painter, &window_), rect, false);
}

void DialogControls::Remove(int id)
{
    const auto found =
        std::find_if(controls_.rbegin(), controls_.rend(), [id](const auto& control) { return control->id == id; });
    if (found == controls_.rend())
        return;
    // The control may be the one whose notification is being handled: it goes once that is done.
    QWidget* widget = (*found)->widget;
    widget->hide();
    widget->deleteLater();
    controls_.erase(std::next(found).base());
}

void DialogControls::FinishTemplate()
{
    // A radio button is at least as high as its indicator and its text, and the radio buttons of
    // a row (the same top) are as high as the highest of them: their indicators and texts, centred
    // in their height, then stand on one line and none is cut.
    std::map<int, int> rowHeights;
    for (const auto& control : controls_) {
        if (control->type != ControlType::RadioButton)
            continue;
        const QWidget* radio = control->widget;
        const int indicator = radio->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, radio);
        int& height = rowHeights[radio->y()];
        height = std::max({height, radio->height(), indicator, radio->fontMetrics().height()});
    }
    for (const auto& control : controls_) {
        if (control->type == ControlType::RadioButton)
            control->widget->resize(control->widget->width(), rowHeights[control->widget->y()]);
    }
}

void DialogControls::RedrawPictures()
{
    for (const auto& control : controls_) {
        if (control->type == ControlType::Picture)
            ShowPicture(*control, control->bitmap);
    }
}

DialogControl* DialogControls::Find(int id) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        if ((*it)->id == id)
            return it->get();
    }
    return nullptr;
}

DialogControl* DialogControls::Owner(const QWidget* widget) const
{
    for (; widget != nullptr && widget != &window_; widget = widget->parentWidget()) {
        for (const auto& control : controls_) {
            if (control->widget == widget)
                return control.get();
        }
    }
    return nullptr;
}

QWidget* DialogControls::FirstTabStop() const
{
    for (const auto& control : controls_) {
        const QWidget* widget = control->widget;
        if (widget->isEnabled() && !widget->isHidden() && (widget->focusPolicy() & Qt::TabFocus))
            return control->widget;
    }
    return nullptr;
}

DialogControl& DialogControls::Register(int id, ControlType type, QWidget* widget, const QRect& rect, bool tabStop)
{
    switch (type) {
    case ControlType::PushButton:
    case ControlType::RadioButton:
    case ControlType::Combo:
    case ControlType::MultilineEdit:
    case ControlType::ListBox:
        widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        break;
    case ControlType::Edit:
        // A read-only edit without a tab stop stands for a label and takes no focus, as a label.
        widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus);
        break;
    default:
        widget->setFocusPolicy(Qt::NoFocus);
        break;
    }
    // A combo box keeps the height of its edit, a picture the size of its bitmap.
    if (type == ControlType::Combo || type == ControlType::Picture)
        widget->move(rect.topLeft());
    else
        widget->setGeometry(rect);
    window_.WatchKeys(widget);
    // Children created after the window is shown stay hidden unless shown themselves.
    widget->show();
    auto control = std::make_unique<DialogControl>();
    control->id = id;
    control->type = type;
    control->widget = widget;
    controls_.push_back(std::move(control));
    return *controls_.back();
}

QWidget* DialogControls::CreateRadioButton(const std::string& text)
{
    auto* radio = new QRadioButton(ToQString(text), &window_);
    QButtonGroup*& group = radioGroups_[groupNumber_];
    if (group == nullptr)
        group = new QButtonGroup(&window_);
    group->addButton(radio);
    QObject::connect(radio, &QAbstractButton::clicked, radio, [this, radio] { OnRadioClicked(radio); });
    return radio;
}

QWidget* DialogControls::CreateCombo(const ControlTemplate& control, const QRect& rect)
{
    auto* combo = new QtDialogComboBox(&window_);
    for (const std::string& item : control.items)
        combo->addItem(ToQString(item));
    {
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(-1);
    }
    // The template's height is that of the dropped list; the box itself is as high as its edit.
    const int editHeight = combo->sizeHint().height();
    combo->setGeometry(rect.x(), rect.y(), rect.width(), editHeight);
    const int rowHeight = std::max(1, combo->count() > 0 ? combo->view()->sizeHintForRow(0) : editHeight);
    combo->setMaxVisibleItems(std::max(1, (rect.height() - editHeight) / rowHeight));
    AlignRowLabels(*combo);

    QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [this, combo] { OnComboEdited(combo); });
    QObject::connect(combo, &QComboBox::activated, combo, [this, combo](int index) { OnComboActivated(combo, index); });
    Register(control.id, ControlType::Combo, combo, rect, control.tabStop);
    return combo;
}

void DialogControls::AlignRowLabels(const QComboBox& combo)
{
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = true;
    const QRect field =
        combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
    // A label shares its top with the combo box, so the combo's edit field lies as far down in
    // the label as in the combo box.
    for (const auto& control : controls_) {
        QWidget* label = control->widget;
        if (label->y() != combo.y() || label->x() >= combo.x())
            continue;
        if (control->type == ControlType::Edit) {
            // The read-only edit's line is laid out in a band as high as the combo's edit, so it
            // is centred as that edit centres its own; no indent, as a static text has none.
            auto* edit = static_cast<QLineEdit*>(label);
            edit->setTextMargins(-kLineEditIndent, field.top(), 0, edit->height() - field.bottom() - 1);
        } else if (control->type == ControlType::Static) {
            // The static text moves down to the line the combo's edit centres its text on. It
            // grows downward to keep the room its template gives below the moved text, and at
            // least as much room below its line as above it.
            auto* text = static_cast<QLabel*>(label);
            if (text->contentsMargins().top() != 0)
                continue; // already on the line of another box of its row
            const int lineTop = field.top() + (field.height() - text->fontMetrics().height() + 1) / 2;
            const int textHeight = text->heightForWidth(text->width());
            text->setContentsMargins(0, lineTop, 0, 0);
            text->resize(text->width(), std::max(text->height() + lineTop, 2 * lineTop + textHeight));
        }
    }
}

void DialogControls::OnButtonClicked(QAbstractButton* button)
{
    const DialogControl* control = Owner(button);
    if (control == nullptr)
        return;
    if (control->id == kCancelButtonId)
        handler_.OnCancel();
    else
        handler_.OnCommand(control->id, Notification::Clicked);
}

void DialogControls::OnRadioClicked(QAbstractButton* button)
{
    const DialogControl* control = Owner(button);
    if (control == nullptr)
        return;
    // An automatic radio button checks itself and clears every other button of its group, also
    // when several were checked by the program.
    if (QButtonGroup* group = button->group()) {
        for (QAbstractButton* other : group->buttons()) {
            if (other != button)
                SetButtonChecked(other, false);
        }
    }
    SetButtonChecked(button, true);
    handler_.OnCommand(control->id, Notification::Clicked);
}

void DialogControls::OnComboEdited(QComboBox* combo)
{
    DialogControl* control = Owner(combo);
    if (control == nullptr)
        return;
    // Typed text no longer names a list entry: the combo box has no selection until one is picked.
    control->selection = -1;
    handler_.OnCommand(control->id, Notification::EditChange);
}

void DialogControls::OnComboActivated(QComboBox* combo, int index)
{
    DialogControl* control = Owner(combo);
    if (control == nullptr)
        return;
    control->selection = index;
    handler_.OnCommand(control->id, Notification::SelectionChange);
}
