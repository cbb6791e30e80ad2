#include "platform/qt_dialog_window.h"

#include "platform/dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

QtDialogWindow::QtDialogWindow(DialogHandler& handler)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint),
      handler_(handler)
{
    setSizeGripEnabled(false);
    setWindowModality(Qt::ApplicationModal);
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
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    return RouteKey(*static_cast<QKeyEvent*>(event)) || QDialog::eventFilter(watched, event);
}

void QtDialogWindow::keyPressEvent(QKeyEvent* event)
{
    if (!RouteKey(*event))
        QDialog::keyPressEvent(event);
}

void QtDialogWindow::closeEvent(QCloseEvent* event)
{
    // The close box is the cancel command; whether the dialog ends is the handler's decision.
    event->ignore();
    handler_.OnCancel();
}

bool QtDialogWindow::RouteKey(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        handler_.OnOk();
        return true;
    case Qt::Key_Escape:
        handler_.OnCancel();
        return true;
    case Qt::Key_F1:
        handler_.OnHelp();
        return true;
    default:
        return false;
    }
}
