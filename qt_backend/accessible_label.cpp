#include "qt_backend/accessible_label.h"

#include <QLineEdit>
#include <QPointer>
#include <QVariant>

namespace {

const char kLabelProperty[] = "zorvexLabel";
const char kLabelForProperty[] = "zorvexLabelFor";
const char kLabelledByProperty[] = "zorvexLabelledBy";

QWidget* WidgetProperty(const QWidget& widget, const char* name)
{
    return qobject_cast<QWidget*>(widget.property(name).value<QObject*>());
}

} // namespace

QtAccessibleLabel::QtAccessibleLabel(QLineEdit* edit) : QAccessibleWidget(edit, QAccessible::StaticText)
{
}

QString QtAccessibleLabel::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
        return static_cast<const QLineEdit*>(widget())->text();
    return QAccessibleWidget::text(t);
}

QAccessible::State QtAccessibleLabel::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.focusable = false;
    state.focused = false;
    state.editable = false;
    state.readOnly = true;
    return state;
}

QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
QtAccessibleLabel::relations(QAccessible::Relation match) const
{
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> found = QAccessibleWidget::relations(match);
    if (match & QAccessible::Labelled) {
        if (QAccessibleInterface* box = QAccessible::queryAccessibleInterface(BoxLabelledBy(*widget())))
            found.append({box, QAccessible::Labelled});
    }
    return found;
}

void MarkAsLabel(QLineEdit& edit)
{
    edit.setProperty(kLabelProperty, true);
}

bool IsMarkedAsLabel(const QObject& object)
{
    return object.property(kLabelProperty).toBool();
}

void SetLabelOf(QWidget& box, QWidget* label)
{
    if (QWidget* old = LabelEditOf(box))
        old->setProperty(kLabelForProperty, QVariant());
    box.setProperty(kLabelledByProperty, label != nullptr ? QVariant::fromValue<QObject*>(label) : QVariant());
    if (label != nullptr)
        label->setProperty(kLabelForProperty, QVariant::fromValue<QObject*>(&box));
}

QWidget* BoxLabelledBy(const QWidget& label)
{
    return WidgetProperty(label, kLabelForProperty);
}

QWidget* LabelEditOf(const QWidget& box)
{
    return WidgetProperty(box, kLabelledByProperty);
}
