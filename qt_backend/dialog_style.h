#pragma once

#include <QProxyStyle>

// The Fusion style with the proportions of the classic dialog controls the templates were laid out
// for: a combo box's drop-down arrow is narrow, so that a box 41 pixels wide still shows three
// digits clear of its frame.
class QtDialogStyle : public QProxyStyle {
public:
    QtDialogStyle();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override;
};
