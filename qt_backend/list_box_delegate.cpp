#include "qt_backend/list_box_delegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

void QtListBoxDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem plain = option;
    plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    QStyledItemDelegate::paint(painter, plain, index);
}

bool QtListBoxDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                  const QModelIndex& index)
{
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    // The entry is drawn as wide as the list shows it, less the margins the style draws within.
    item.rect.setRight(std::min(item.rect.right(), view->viewport()->rect().right()));
    const QStyle* style = view->style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view).width() - 2 * margin;
    if (item.fontMetrics.horizontalAdvance(item.text) <= room) {
        QToolTip::hideText();
        return true;
    }
    // The text as it is, on one line, whatever characters it holds.
    const QString tip = QStringLiteral("<p style='white-space:pre'>%1</p>").arg(item.text.toHtmlEscaped());
    QToolTip::showText(event->globalPos(), tip, view->viewport(), view->visualRect(index));
    return true;
}
