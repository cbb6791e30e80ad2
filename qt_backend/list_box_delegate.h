#pragma once

#include <QStyledItemDelegate>

// Draws the entries of a list box that allows no selection as plain lines: no entry is ever
// highlighted, neither the current one nor the one under the pointer, as none of them can be
// chosen; the current one is outlined while the list has the focus.
class QtListBoxDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // Shows the entry's whole text below the list when the list cuts it short, else hides any
    // tooltip; a tooltip with a hover area (viewport coordinates) goes once the pointer leaves it.
    // True when a tooltip is shown.
    bool ShowWholeText(QAbstractItemView& view, const QModelIndex& index, const QRect& hoverArea = QRect()) const;
};
