#include "qt_backend/read_only_text.h"

#include "qt_backend/focus_frame.h"

QtReadOnlyText::QtReadOnlyText(const QString& text, QWidget* parent) : QPlainTextEdit(text, parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void QtReadOnlyText::paintEvent(QPaintEvent* event)
{
    QPlainTextEdit::paintEvent(event);
    if (!hasFocus())
        return;
    DrawViewportFocusFrame(*this, QPalette::Window);
}

// The frame comes and goes with the focus: the whole text is drawn again, not only the caret.
void QtReadOnlyText::focusInEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusInEvent(event);
    viewport()->update();
}

void QtReadOnlyText::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    viewport()->update();
}
