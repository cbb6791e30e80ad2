#include "platform/qt_panel_widget.h"

#include "platform/dialog.h"
#include "platform/qt_device_context.h"

#include <QPainter>

QtPanelWidget::QtPanelWidget(PanelPainter& painter, QWidget* parent) : QWidget(parent), painter_(painter)
{
    setWindowTitle(QStringLiteral("CStatic panel"));
}

void QtPanelWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    QtDeviceContext dc(painter, Rgb(face.red(), face.green(), face.blue()));
    painter_.Paint(dc, Rect{0, 0, width(), height()});
}
