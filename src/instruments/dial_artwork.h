#pragma once
// The pictures of a dial: its face and the 360 needle frames, painted by our own code at
// the screen's device pixel ratio so that they stay crisp on high-density screens.

#include <QImage>
#include <QPoint>
#include <vector>

class QPainter;

namespace tesmira {

// One needle frame. Conceptually a 151 x 151 picture, white where there is no needle;
// only the part holding the needle is kept (the white rest would be transparent anyway),
// with its place in device pixels. Its white pixels already carry alpha 0.
struct NeedleFrame {
    QImage image;
    QPoint offset;
};

class DialArtwork {
public:
    static constexpr int kSize = 151;  // logical pixels, square
    static constexpr int kFrameCount = 360;

    // A dark gauge face marked 0 to 220; frame k is the needle turned k degrees clockwise
    // from the 0 mark.
    static DialArtwork Speedometer(qreal devicePixelRatio);
    // A dark compass rose, north up; in frame k the red end points at bearing k + 180.
    static DialArtwork Compass(qreal devicePixelRatio);

    const QImage& Face() const { return face_; }
    // The needle is painted at bearings 0 to 45 when the artwork is made; every other
    // bearing is an exact pixel copy of one of those, mirrored or turned by quarters, made
    // the first time it is asked for (microseconds). That keeps start-up within budget at
    // high densities. User-interface thread only.
    const NeedleFrame& Frame(int k) const;
    qreal DevicePixelRatio() const { return dpr_; }

    // Draws the face at the origin.
    void DrawFace(QPainter& painter) const;
    // Draws frame k over what is there; where the frame is white the dial stays visible,
    // every other pixel of the frame is copied at full strength.
    void DrawFrame(QPainter& painter, int k) const;

private:
    QImage face_;
    const NeedleFrame& AtBearing(int bearing) const;

    int restBearing_ = 0;  // where frame 0 points
    mutable std::vector<NeedleFrame> byBearing_;
    mutable std::vector<bool> made_;
    qreal dpr_ = 1.0;
};

}  // namespace tesmira
