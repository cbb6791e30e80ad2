#pragma once

#include <QPlainTextEdit>

// A read-only multi-line text on the dialog's face: no frame and no ground of its own, its text
// reviewable by the keyboard (a caret that the arrow keys move) and, while it has the focus, a
// focus frame around it, so that the focus is seen on it as on any other control.
class QtReadOnlyText : public QPlainTextEdit {
public:
    QtReadOnlyText(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
