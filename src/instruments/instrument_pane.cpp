#include "instruments/instrument_pane.h"

#include <QPalette>

#include "instruments/pane_layout.h"

namespace tesmira {
namespace {

QRect ToQRect(const IntRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace

InstrumentPane::InstrumentPane(QWidget* parent, UnitReader readUnit)
    : QWidget(parent),
      compass_(new CompassDial(this)),
      chart_(new LineChart(this)),
      speed_(new SpeedDial(this, std::move(readUnit))) {
    // White behind the pane and its three controls.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    // The template's 403 x 52 dialog units at the usual 6 x 13 base units; the main window
    // gives the pane its real size.
    resize(605, 85);
}

void InstrumentPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QRect r = rect();
    const PaneLayout layout =
        ComputePaneLayout({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    chart_->setGeometry(ToQRect(layout.chart));
    speed_->setGeometry(ToQRect(layout.speedometer));
    compass_->setGeometry(ToQRect(layout.compass));
}

}  // namespace tesmira
