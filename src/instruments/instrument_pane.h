#pragma once
// The instrument strip: the G-sensor chart on the left, speedometer and compass on the right,
// all on white.

#include <QWidget>

#include "instruments/compass_dial.h"
#include "instruments/line_chart.h"
#include "instruments/speed_dial.h"
#include "instruments/unit_reader.h"

namespace tesmira {

class InstrumentPane : public QWidget {
    Q_OBJECT
public:
    // The speedometer reads the unit from the settings file unless another reader is given.
    explicit InstrumentPane(QWidget* parent = nullptr, UnitReader readUnit = {});

    CompassDial& Compass() { return *compass_; }
    LineChart& Chart() { return *chart_; }
    SpeedDial& Speedometer() { return *speed_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CompassDial* compass_;
    LineChart* chart_;
    SpeedDial* speed_;
};

}  // namespace tesmira
