// The per-control operations of DialogControls: texts, check states, combo boxes and list boxes,
// default buttons, pictures, and the user's actions for tests.
#include "qt_backend/dialog_controls.h"

#include "qt_backend/dialog_combo_box.h"
#include "qt_backend/page_pictures.h"
#include "qt_backend/text.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

template <typename Widget> Widget* As(const DialogControl* control, ControlType type)
{
    return control != nullptr && control->type == type ? static_cast<Widget*>(control->widget) : nullptr;
}

void SendKey(QWidget* target, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

} // namespace

void DialogControls::SetText(int id, const std::string& text)
{
    DialogControl* control = Find(id);
    if (control == nullptr)
        return;
    const QString value = ToQString(text);
    switch (control->type) {
    case ControlType::PushButton:
    case ControlType::RadioButton:
        static_cast<QAbstractButton*>(control->widget)->setText(value);
        break;
    case ControlType::GroupBox:
        static_cast<QGroupBox*>(control->widget)->setTitle(value);
        break;
    case ControlType::Combo: {
        // Setting the edit's text sends no edit notification and leaves no list entry selected.
        auto* combo = static_cast<QComboBox*>(control->widget);
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(-1);
        combo->setEditText(value);
        control->selection = -1;
        break;
    }
    case ControlType::Edit: {
        auto* edit = static_cast<QLineEdit*>(control->widget);
        edit->setText(value);
        edit->setCursorPosition(0);
        break;
    }
    case ControlType::MultilineEdit:
        static_cast<QPlainTextEdit*>(control->widget)->setPlainText(value);
        break;
    case ControlType::Static:
        static_cast<QLabel*>(control->widget)->setText(value);
        break;
    default:
        control->widget->setWindowTitle(value);
        break;
    }
}

std::string DialogControls::Text(int id) const
{
    const DialogControl* control = Find(id);
    if (control == nullptr)
        return std::string();
    switch (control->type) {
    case ControlType::PushButton:
    case ControlType::RadioButton:
        return FromQString(static_cast<QAbstractButton*>(control->widget)->text());
    case ControlType::GroupBox:
        return FromQString(static_cast<QGroupBox*>(control->widget)->title());
    case ControlType::Combo:
        return FromQString(static_cast<QComboBox*>(control->widget)->currentText());
    case ControlType::Edit:
        return FromQString(static_cast<QLineEdit*>(control->widget)->text());
    case ControlType::MultilineEdit:
        return FromQString(static_cast<QPlainTextEdit*>(control->widget)->toPlainText());
    case ControlType::Static:
        return FromQString(static_cast<QLabel*>(control->widget)->text());
    default:
        return FromQString(control->widget->windowTitle());
    }
}

void DialogControls::SetCheck(int id, bool checked)
{
    if (auto* radio = As<QRadioButton>(Find(id), ControlType::RadioButton))
        SetButtonChecked(radio, checked);
}

bool DialogControls::IsChecked(int id) const
{
    const auto* radio = As<QRadioButton>(Find(id), ControlType::RadioButton);
    return radio != nullptr && radio->isChecked();
}

int DialogControls::ComboSelection(int id) const
{
    const DialogControl* control = Find(id);
    return control != nullptr && control->type == ControlType::Combo ? control->selection : -1;
}

std::string DialogControls::ComboItemText(int id, int index) const
{
    const auto* combo = As<QComboBox>(Find(id), ControlType::Combo);
    if (combo == nullptr || index < 0 || index >= combo->count())
        return std::string();
    return FromQString(combo->itemText(index));
}

void DialogControls::SelectComboItem(int id, int index)
{
    DialogControl* control = Find(id);
    auto* combo = As<QComboBox>(control, ControlType::Combo);
    if (combo == nullptr)
        return;
    // An index outside the list clears the selection and the edit, as the classic call does.
    if (index < 0 || index >= combo->count())
        index = -1;
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(index);
    combo->setEditText(index >= 0 ? combo->itemText(index) : QString());
    control->selection = index;
}

void DialogControls::ListAppend(int id, const std::string& text)
{
    if (auto* list = As<QListWidget>(Find(id), ControlType::ListBox)) {
        list->addItem(ToQString(text));
        // The first entry is the current one, to be outlined when the list has the focus; the
        // list still selects nothing.
        if (list->count() == 1)
            list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    }
}

std::vector<std::string> DialogControls::ListItems(int id) const
{
    std::vector<std::string> items;
    if (const auto* list = As<QListWidget>(Find(id), ControlType::ListBox)) {
        for (int row = 0; row < list->count(); ++row)
            items.push_back(FromQString(list->item(row)->text()));
    }
    return items;
}

void DialogControls::SetDefaultButton(int id, bool isDefault)
{
    auto* button = As<QPushButton>(Find(id), ControlType::PushButton);
    if (button == nullptr)
        return;
    if (isDefault) {
        for (const auto& control : controls_) {
            if (control->type == ControlType::PushButton && control->widget != button)
                static_cast<QPushButton*>(control->widget)->setDefault(false);
        }
    }
    button->setDefault(isDefault);
}

bool DialogControls::IsDefaultButton(int id) const
{
    const auto* button = As<QPushButton>(Find(id), ControlType::PushButton);
    return button != nullptr && button->isDefault();
}

void DialogControls::SetPicture(int id, int bitmap)
{
    if (DialogControl* control = Find(id); control != nullptr && control->type == ControlType::Picture)
        ShowPicture(*control, bitmap);
}

void DialogControls::ShowPicture(DialogControl& control, int bitmap)
{
    auto* label = static_cast<QLabel*>(control.widget);
    // A picture control takes the size of its bitmap, drawn for the screen's device pixels.
    const QPixmap pixmap = PagePicture(bitmap, label->devicePixelRatio());
    label->setPixmap(pixmap);
    if (!pixmap.isNull())
        label->resize(PagePictureSize(bitmap, pixmap));
    control.bitmap = bitmap;
}

void DialogControls::Click(int id)
{
    const DialogControl* control = Find(id);
    if (control != nullptr && (control->type == ControlType::PushButton || control->type == ControlType::RadioButton))
        static_cast<QAbstractButton*>(control->widget)->click();
}

void DialogControls::TypeText(int id, const std::string& text)
{
    const DialogControl* control = Find(id);
    QLineEdit* edit = nullptr;
    if (auto* combo = As<QComboBox>(control, ControlType::Combo))
        edit = combo->lineEdit();
    else
        edit = As<QLineEdit>(control, ControlType::Edit);
    if (edit == nullptr)
        return;
    // Key by key, as typed over the whole old text.
    edit->selectAll();
    const QString value = ToQString(text);
    if (value.isEmpty()) {
        SendKey(edit, Qt::Key_Delete, QString());
        return;
    }
    for (const QChar ch : value) {
        const int key = ch.unicode() < 0x80 ? int(ch.toUpper().unicode()) : int(Qt::Key_unknown);
        SendKey(edit, key, QString(ch));
    }
}

void DialogControls::ChooseComboItem(int id, int index)
{
    auto* combo = As<QtDialogComboBox>(Find(id), ControlType::Combo);
    if (combo != nullptr && index >= 0 && index < combo->count())
        combo->Choose(index);
}
