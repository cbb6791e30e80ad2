#include "qt_backend/dialog_combo_box.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

// How far the edit's line may reach past its right edge before it scrolls: the line edit scrolls
// its text only when the text is wider than its line, so a line this long never scrolls and the
// first character stays in view; what does not fit is cut at the edit's edge.
constexpr int kUnscrolledLineReach = 1 << 14;

// Keys that open a closed list and close an open one.
bool IsListToggle(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    switch (event.key()) {
    case Qt::Key_F4:
        return modifiers == Qt::NoModifier;
    case Qt::Key_Up:
    case Qt::Key_Down:
        return modifiers == Qt::AltModifier;
    default:
        return false;
    }
}

} // namespace

QtDialogComboBox::QtDialogComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // The edit takes the typed text as it is: no completion from the list.
    setCompleter(nullptr);
    // The combo box would pick the entry that matches the typed text when its edit loses the focus
    // or takes Return; a classic drop-down combo keeps the text and selects nothing.
    QObject::disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    QObject::disconnect(lineEdit(), &QLineEdit::returnPressed, this, nullptr);
    lineEdit()->setTextMargins(0, 0, -kUnscrolledLineReach, 0);
    // The list's view exists from now on; its keys are seen here before the list handles them.
    view()->installEventFilter(this);
}

int QtDialogComboBox::EntryOfText() const
{
    return findText(currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
}

void QtDialogComboBox::Choose(int index)
{
    if (index == currentIndex())
        setEditText(itemText(index));
    else
        setCurrentIndex(index);
    emit activated(index);
    emit textActivated(itemText(index));
}

void QtDialogComboBox::FollowText()
{
    const int entry = EntryOfText();
    if (entry == currentIndex())
        return;
    const QSignalBlocker blocker(this);
    const QString text = currentText();
    setCurrentIndex(entry);
    // Without an entry the combo box empties its edit; the text stays what was typed.
    if (entry < 0)
        setEditText(text);
}

void QtDialogComboBox::showPopup()
{
    FollowText();
    QComboBox::showPopup();
    // The list highlights the entry that reads as the edit, and none when no entry does; setting
    // the view's current index, even to none, also keeps it from taking the first entry when it
    // gets the focus.
    QAbstractItemView* list = view();
    const QModelIndex entry = model()->index(EntryOfText(), modelColumn(), rootModelIndex());
    list->selectionModel()->clearSelection();
    list->setCurrentIndex(entry);
    if (entry.isValid())
        list->scrollTo(entry, QAbstractItemView::PositionAtCenter);
}

void QtDialogComboBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up && IsListToggle(*event)) {
        showPopup();
        event->accept();
        return;
    }
    // The arrow keys step through the list from the entry that reads as the edit.
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
        FollowText();
    QComboBox::keyPressEvent(event);
}

bool QtDialogComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != view() || !view()->isVisible()
        || (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress))
        return QComboBox::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const bool accept = (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!accept && !IsListToggle(key))
        return QComboBox::eventFilter(watched, event);
    // The list's own handling would act on the shortcut check before the key press and again on
    // the press; the check is answered here, so that the press comes, and only the press acts.
    event->accept();
    if (event->type() == QEvent::KeyPress)
        CloseList();
    return true;
}

void QtDialogComboBox::CloseList()
{
    const QModelIndex highlighted = view()->currentIndex();
    hidePopup();
    if (highlighted.isValid())
        Choose(highlighted.row());
}
