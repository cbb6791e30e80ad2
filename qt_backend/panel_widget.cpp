#include "qt_backend/panel_widget.h"

#include "platform/dialog.h"
#include "qt_backend/device_context.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>

#include <cmath>

QtPanelWidget::QtPanelWidget(PanelPainter& painter, QWidget* parent) : QWidget(parent), painter_(painter)
{
    setWindowTitle(QStringLiteral("CStatic panel"));
}

void QtPanelWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The panel is drawn into an image of the target's device pixels and laid over it pixel for
    // pixel, so that at any scale its edges fall on whole device pixels and its patterns stay
    // even. The target is the one painted on, which need not be the screen (a grab, a render).
    const QPaintDevice* target = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const qreal ratio = target ? target->devicePixelRatio() : devicePixelRatio();
    QImage canvas(QSize(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio))),
                  QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return;
    // What the panel leaves unpainted shows the window behind it, as it would when painted directly.
    canvas.fill(Qt::transparent);
    {
        QPainter canvasPainter(&canvas);
        const QColor face = palette().color(QPalette::Button);
        QtDeviceContext dc(canvasPainter, Rgb(face.red(), face.green(), face.blue()), ratio);
        painter_.Paint(dc, Rect{0, 0, width(), height()});
    }
    canvas.setDevicePixelRatio(ratio);
    painter.drawImage(QPointF(0, 0), canvas);
}
