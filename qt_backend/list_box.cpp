#include "qt_backend/list_box.h"

#include "qt_backend/focus_frame.h"
#include "qt_backend/list_box_delegate.h"

#include <QToolTip>

QtListBox::QtListBox(QWidget* parent) : QListWidget(parent), delegate_(new QtListBoxDelegate(this))
{
    setSelectionMode(QAbstractItemView::NoSelection);
    setItemDelegate(delegate_);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideMiddle);
    connect(this, &QListWidget::currentRowChanged, this, [this] {
        if (hasFocus())
            ShowCurrentWholeText();
    });
}

void QtListBox::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    if (!hasFocus())
        return;
    DrawViewportFocusFrame(*this, QPalette::Base);
}

void QtListBox::focusInEvent(QFocusEvent* event)
{
    QListWidget::focusInEvent(event);
    viewport()->update();
    ShowCurrentWholeText();
}

void QtListBox::focusOutEvent(QFocusEvent* event)
{
    QListWidget::focusOutEvent(event);
    viewport()->update();
    QToolTip::hideText();
}

void QtListBox::ShowCurrentWholeText()
{
    scrollTo(currentIndex());
    delegate_->ShowWholeText(*this, currentIndex());
}
