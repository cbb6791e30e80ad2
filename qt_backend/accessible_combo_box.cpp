#include "qt_backend/accessible_combo_box.h"

#include "qt_backend/accessible_label.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

QtAccessibleComboBox::QtAccessibleComboBox(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox)
{
}

QComboBox* QtAccessibleComboBox::combo() const
{
    return static_cast<QComboBox*>(widget());
}

bool QtAccessibleComboBox::ListShown() const
{
    return combo()->view()->isVisible();
}

QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
QtAccessibleComboBox::relations(QAccessible::Relation match) const
{
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> found = QAccessibleWidget::relations(match);
    if (match & QAccessible::Label) {
        if (QAccessibleInterface* label = QAccessible::queryAccessibleInterface(LabelEditOf(*widget())))
            found.append({label, QAccessible::Label});
    }
    return found;
}

QString QtAccessibleComboBox::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return combo()->currentText();
    return QAccessibleWidget::text(t);
}

QAccessible::State QtAccessibleComboBox::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = combo()->isEditable();
    state.expandable = true;
    state.expanded = ListShown();
    state.collapsed = !ListShown();
    return state;
}

// The list comes first and the edit second, as with the toolkit's own interface, so that a screen
// reader finds them where it is used to.
int QtAccessibleComboBox::childCount() const
{
    return combo()->lineEdit() != nullptr ? 2 : 1;
}

QAccessibleInterface* QtAccessibleComboBox::child(int index) const
{
    if (index == 0)
        return QAccessible::queryAccessibleInterface(combo()->view());
    if (index == 1 && combo()->lineEdit() != nullptr)
        return QAccessible::queryAccessibleInterface(combo()->lineEdit());
    return nullptr;
}

int QtAccessibleComboBox::indexOfChild(const QAccessibleInterface* child) const
{
    if (child == nullptr)
        return -1;
    if (child->object() == combo()->view())
        return 0;
    if (combo()->lineEdit() != nullptr && child->object() == combo()->lineEdit())
        return 1;
    return -1;
}

QStringList QtAccessibleComboBox::actionNames() const
{
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
}

void QtAccessibleComboBox::doAction(const QString& actionName)
{
    if (actionName != showMenuAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (ListShown())
        combo()->hidePopup();
    else
        combo()->showPopup();
}

QStringList QtAccessibleComboBox::keyBindingsForAction(const QString& actionName) const
{
    if (actionName == showMenuAction())
        return QStringList{QStringLiteral("Alt+Down")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
