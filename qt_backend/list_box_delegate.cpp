#include "qt_backend/list_box_delegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace {

// Where the toolkit puts a tooltip relative to the point it is given.
const QPoint kTipOffset(2, 16);

} // namespace

void QtListBoxDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem plain = option;
    plain.state &= ~(QStyle::State_Selected | QStyle::State_MouseOver);
    QStyledItemDelegate::paint(painter, plain, index);
}

bool QtListBoxDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                  const QModelIndex& index)
{
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    ShowWholeText(*view, index, view->visualRect(index));
    return true;
}

bool QtListBoxDelegate::ShowWholeText(QAbstractItemView& view, const QModelIndex& index, const QRect& hoverArea) const
{
    if (!index.isValid()) {
        QToolTip::hideText();
        return false;
    }
    QStyleOptionViewItem item;
    item.initFrom(view.viewport());
    item.rect = view.visualRect(index);
    item.font = view.font();
    item.fontMetrics = view.fontMetrics();
    initStyleOption(&item, index);
    // The entry is drawn as wide as the list shows it, less the margins the style draws within.
    item.rect.setRight(std::min(item.rect.right(), view.viewport()->rect().right()));
    const QStyle* style = view.style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, &view);
    if (item.fontMetrics.horizontalAdvance(item.text) <= text.width() - 2 * margin) {
        QToolTip::hideText();
        return false;
    }
    // The text as it is, on one line, whatever characters it holds, just below the list at its
    // left edge: it hides no entry, and never lies under the pointer, which would close it.
    const QString tip = QStringLiteral("<p style='white-space:pre'>%1</p>").arg(item.text.toHtmlEscaped());
    const QPoint at = view.mapToGlobal(QPoint(0, view.height()));
    QToolTip::showText(at - kTipOffset, tip, view.viewport(), hoverArea);
    return true;
}
