#pragma once

#include <QAccessibleWidget>

class QLineEdit;

// A read-only single-line edit that stands for a label, as a screen reader should read it: a label
// named by its text, neither focusable nor editable, the label of the value box it names.
class QtAccessibleLabel : public QAccessibleWidget {
public:
    explicit QtAccessibleLabel(QLineEdit* edit);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override;
};

// Marks a read-only edit as a label; to be called before the edit joins its window.
void MarkAsLabel(QLineEdit& edit);
// True for an edit marked as a label.
bool IsMarkedAsLabel(const QObject& object);

// Ties a label that is no QLabel to the box it names (either may be null to untie): the box is
// then labelled by it and it is the label for the box.
void SetLabelOf(QWidget& box, QWidget* label);
// The box a label edit names, or the label edit that names a box; null when there is none.
QWidget* BoxLabelledBy(const QWidget& label);
QWidget* LabelEditOf(const QWidget& box);
