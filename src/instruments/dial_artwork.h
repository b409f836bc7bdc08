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
    // Frames 0 to 89 are painted when the artwork is made; each later one is the frame 90
    // before it turned a quarter clockwise, an exact pixel copy made the first time it is
    // asked for (some microseconds), which keeps start-up within budget at high densities.
    // User-interface thread only.
    const NeedleFrame& Frame(int k) const;
    qreal DevicePixelRatio() const { return dpr_; }

    // Draws the face at the origin.
    void DrawFace(QPainter& painter) const;
    // Draws frame k over what is there; where the frame is white the dial stays visible,
    // every other pixel of the frame is copied at full strength.
    void DrawFrame(QPainter& painter, int k) const;

private:
    QImage face_;
    mutable std::vector<NeedleFrame> frames_;
    mutable std::vector<bool> made_;
    qreal dpr_ = 1.0;
};

}  // namespace tesmira
