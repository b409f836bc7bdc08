#include "instruments/compass_ctrl.h"

#include "instruments/needle_frame.h"

namespace tesmira {

CCompassCtrl::CCompassCtrl(QWidget* parent) : DialControl(&DialArtwork::Compass, parent) {
    setProperty("controlId", 1006);
}

int CCompassCtrl::FrameForPaint(const std::string&) const {
    return Replay().WithValues([&](const std::vector<double>& values) {
        return CompassNeedleFrame(values, Replay().Position());
    });
}

int CCompassCtrl::CurrentFrame() const {
    return Active() ? FrameForPaint({}) : kNoNeedle;
}

}  // namespace tesmira
