#pragma once

#include <QDialog>

class DialogHandler;
class QKeyEvent;

// The top-level window of a running Dialog. It never closes by itself: Enter, Escape, F1 and the
// close box become the handler's accept, cancel and help commands, and only the owner hides it.
// Enter on a push button that has the focus presses that button instead.
class QtDialogWindow : public QDialog {
public:
    explicit QtDialogWindow(DialogHandler& handler);

    // Has the dialog's keys (Enter, Escape, F1) seen before widget and its children handle them,
    // so that for instance Enter in a combo box's edit is the accept command, not the combo's own.
    void WatchKeys(QWidget* widget);

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    DialogHandler& handler_;

    // True when the key, pressed on target, was one of the dialog's commands and has been handled.
    bool RouteKey(QWidget* target, const QKeyEvent& event);
    // Moves the focus and the choice step buttons on in target's radio group; false when target
    // is no radio button of a group.
    bool MoveInRadioGroup(QWidget* target, int step);
};
