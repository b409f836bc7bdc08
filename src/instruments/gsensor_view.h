#pragma once
// The instrument strip: the G-sensor chart on the left, speedometer and compass on the right,
// all on white.

#include <QWidget>

#include "instruments/compass_ctrl.h"
#include "instruments/line_chart_ctrl.h"
#include "instruments/speed_ctrl.h"
#include "instruments/unit_reader.h"

namespace tesmira {

class CGsensorView : public QWidget {
    Q_OBJECT
public:
    // The speedometer reads the unit from the settings file unless another reader is given.
    explicit CGsensorView(QWidget* parent = nullptr, UnitReader readUnit = {});

    CCompassCtrl& Compass() { return *compass_; }
    CLineChartCtrl& Chart() { return *chart_; }
    CSpeedCtrl& Speedometer() { return *speed_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CCompassCtrl* compass_;
    CLineChartCtrl* chart_;
    CSpeedCtrl* speed_;
};

}  // namespace tesmira
