#pragma once

#include <QWidget>

class PanelPainter;

// A child window whose every paint is drawn by a PanelPainter through a device context.
class QtPanelWidget : public QWidget {
public:
    QtPanelWidget(PanelPainter& painter, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PanelPainter& painter_;
};
