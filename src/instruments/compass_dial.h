#pragma once
// The compass: the course of every sample, replayed as a red-and-grey needle over a rose.

#include "instruments/dial_control.h"

namespace tesmira {

class CompassDial : public DialControl {
    Q_OBJECT
public:
    explicit CompassDial(QWidget* parent = nullptr);

    int CurrentFrame() const override;

protected:
    int FrameForPaint(const std::string& unit) const override;
};

}  // namespace tesmira
