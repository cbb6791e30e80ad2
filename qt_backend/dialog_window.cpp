#include "qt_backend/dialog_window.h"

#include "platform/dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

QtDialogWindow::QtDialogWindow(DialogHandler& handler)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
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
    default:
        return false;
    }
}
