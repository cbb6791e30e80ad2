#include "qt_backend/dialog_window.h"

#include "platform/dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

QtDialogWindow::QtDialogWindow(DialogHandler& handler)
    : QDialog(nullptr,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                  | Qt::MSWindowsFixedSizeDialogHint),
      handler_(handler)
{
    setSizeGripEnabled(false);
    setWindowModality(Qt::ApplicationModal);
    // The push button drawn as the default follows the focus (see QtDialogStyle): the buttons
    // are drawn again whenever the focus moves.
    connect(qApp, &QApplication::focusChanged, this, [this] {
        for (QPushButton* button : findChildren<QPushButton*>())
            button->update();
    });
}

void QtDialogWindow::WatchKeys(QWidget* widget)
{
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->installEventFilter(this);
}

void QtDialogWindow::reject()
{
    handler_.OnCancel();
}

bool QtDialogWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    // A combo box's drop-down list is a window of its own; its keys pick and close the list.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    return RouteKey(widget, *static_cast<QKeyEvent*>(event)) || QDialog::eventFilter(watched, event);
}

void QtDialogWindow::keyPressEvent(QKeyEvent* event)
{
    if (!RouteKey(this, *event))
        QDialog::keyPressEvent(event);
}

void QtDialogWindow::closeEvent(QCloseEvent* event)
{
    // The close box is the cancel command; whether the dialog ends is the handler's decision.
    event->ignore();
    handler_.OnCancel();
}

bool QtDialogWindow::RouteKey(QWidget* target, const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Return presses the push button that has the focus; anywhere else it is the accept.
        if (auto* button = qobject_cast<QPushButton*>(target))
            button->click();
        else
            handler_.OnOk();
        return true;
    case Qt::Key_Escape:
        handler_.OnCancel();
        return true;
    case Qt::Key_F1:
        handler_.OnHelp();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Left:
        return MoveInRadioGroup(target, -1);
    case Qt::Key_Down:
    case Qt::Key_Right:
        return MoveInRadioGroup(target, 1);
    default:
        return false;
    }
}

// The arrow keys go through a group of radio buttons in the group's order, whatever the buttons'
// positions, from the last one round to the first and back, past disabled buttons; the button
// reached takes the focus and is chosen, as a click would choose it.
bool QtDialogWindow::MoveInRadioGroup(QWidget* target, int step)
{
    auto* radio = qobject_cast<QRadioButton*>(target);
    QButtonGroup* group = radio != nullptr ? radio->group() : nullptr;
    if (group == nullptr)
        return false;
    const QList<QAbstractButton*> buttons = group->buttons();
    const qsizetype count = buttons.size();
    const qsizetype at = buttons.indexOf(radio);
    for (qsizetype moved = 1; moved < count; ++moved) {
        QAbstractButton* next = buttons[((at + step * moved) % count + count) % count];
        if (next->isEnabled() && next->isVisible()) {
            next->setFocus(Qt::OtherFocusReason);
            next->click();
            break;
        }
    }
    return true;
}
