#pragma once
// The pictures the player draws without a file: the idle picture of the video
// area (151), the camera of the screenshot button (115) and the speaker beside
// the volume slider (152).

#include <QImage>

namespace tesmira {

inline constexpr int kIdlePictureId = 151;
inline constexpr int kCameraBitmapId = 115;
inline constexpr int kSpeakerBitmapId = 152;

// A null image for an id it does not know.
QImage StockBitmap(int id);

}  // namespace tesmira
