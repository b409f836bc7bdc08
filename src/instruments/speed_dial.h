#pragma once
// The speedometer: the speed of every sample, replayed as a needle over a 0-220 dial with
// the unit written under the hub.

#include "instruments/dial_control.h"
#include "instruments/unit_reader.h"

namespace tesmira {

class SpeedDial : public DialControl {
    Q_OBJECT
public:
    // The unit comes from the settings file unless another reader is given.
    explicit SpeedDial(QWidget* parent = nullptr, UnitReader readUnit = {});

    int CurrentFrame() const override;
    // The text written under the hub for the current unit setting, empty for none.
    QString UnitText() const;

protected:
    int FrameForPaint(const std::string& unit) const override;
    std::string ReadUnitForPaint() const override { return readUnit_(); }
    void PaintOver(QPainter& painter, const std::string& unit) override;

private:
    UnitReader readUnit_;
};

}  // namespace tesmira
