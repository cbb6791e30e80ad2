#pragma once

#include <QProxyStyle>

// The Fusion style with the proportions of the classic dialog controls the templates were laid
// out for: a combo box's drop-down arrow is as narrow as a scroll bar, so that a box 41 pixels
// wide still shows three digits.
class QtDialogStyle : public QProxyStyle {
public:
    QtDialogStyle();

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override;
};
