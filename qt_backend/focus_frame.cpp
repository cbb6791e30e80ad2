#include "qt_backend/focus_frame.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

void DrawViewportFocusFrame(QAbstractScrollArea& area, QPalette::ColorRole ground)
{
    QPainter painter(area.viewport());
    QStyleOptionFocusRect option;
    option.initFrom(&area);
    option.rect = area.viewport()->rect();
    option.backgroundColor = area.palette().color(ground);
    area.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, &area);
}
