#include "qt_backend/dialog_style.h"

#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStyleOptionComplex>

namespace {

// Narrow enough that a box 41 pixels wide keeps three digits of the 11-pixel dialog font clear of
// its frame and of the arrow.
constexpr int kArrowWidth = 13;
constexpr int kFrame = 2;

} // namespace

QtDialogStyle::QtDialogStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{
}

void QtDialogStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element != CE_PushButton || button == nullptr || widget == nullptr) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    QStyleOptionButton shown = *button;
    const QWidget* focus = widget->window()->focusWidget();
    if (qobject_cast<const QPushButton*>(focus) != nullptr)
        shown.features.setFlag(QStyleOptionButton::DefaultButton, focus == widget);
    QProxyStyle::drawControl(element, &shown, painter, widget);
}

QRect QtDialogStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                                    const QWidget* widget) const
{
    if (control != CC_ComboBox || option == nullptr)
        return QProxyStyle::subControlRect(control, option, part, widget);
    const QRect box = option->rect;
    switch (part) {
    case SC_ComboBoxArrow:
        return visualRect(
            option->direction, box,
            QRect(box.right() - kArrowWidth - kFrame + 1, box.top() + kFrame, kArrowWidth, box.height() - 2 * kFrame));
    case SC_ComboBoxEditField:
        return visualRect(option->direction, box,
                          QRect(box.left() + kFrame, box.top() + kFrame, box.width() - kArrowWidth - 2 * kFrame,
                                box.height() - 2 * kFrame));
    default:
        return QProxyStyle::subControlRect(control, option, part, widget);
    }
}
