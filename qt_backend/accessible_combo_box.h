#pragma once

#include <QAccessibleWidget>

class QComboBox;

// A combo box as a screen reader reads it: named by its accessible name, its text as value, its
// list and edit as children, and an action that opens or closes the list.
class QtAccessibleComboBox : public QAccessibleWidget {
public:
    explicit QtAccessibleComboBox(QComboBox* combo);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;
    // Besides the labels the toolkit finds (QLabel buddies), the read-only edit that names it.
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override;

private:
    QComboBox* combo() const;
    bool ListShown() const;
};
