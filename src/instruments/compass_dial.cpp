#include "instruments/compass_dial.h"

#include "instruments/needle_frame.h"

namespace tesmira {

CompassDial::CompassDial(QWidget* parent) : DialControl(&DialArtwork::Compass, parent) {
    setProperty("controlId", 1006);
}

int CompassDial::FrameForPaint(const std::string&) const {
    return Replay().WithValues([&](const std::vector<double>& values) {
        return CompassNeedleFrame(values, Replay().Position());
    });
}

int CompassDial::CurrentFrame() const {
    return Active() ? FrameForPaint({}) : kNoNeedle;
}

}  // namespace tesmira
