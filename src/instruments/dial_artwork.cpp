#include "instruments/dial_artwork.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tesmira {
namespace {

constexpr double kCentre = DialArtwork::kSize / 2.0;  // the middle of pixel 75
constexpr QRgb kWhite = 0xFFFFFFFFu;

// The speedometer's 0 mark sits at this bearing; 220 km/h is 220 degrees further on,
// which leaves the gap at the bottom for the unit text.
constexpr double kSpeedZeroBearing = 250.0;

int DeviceSize(qreal dpr) {
    return static_cast<int>(std::ceil(DialArtwork::kSize * dpr - 1e-6));
}

QImage WhiteCanvas(qreal dpr) {
    QImage image(DeviceSize(dpr), DeviceSize(dpr), QImage::Format_RGB32);
    image.fill(kWhite);
    image.setDevicePixelRatio(dpr);
    return image;
}

QPointF OnCircle(double radius, double bearingDegrees) {
    const double a = bearingDegrees * M_PI / 180.0;
    return {kCentre + radius * std::sin(a), kCentre - radius * std::cos(a)};
}

// The part of a frame painted on white that holds the needle (searched inside `box`),
// with white made transparent, so that drawing it is a plain blend that leaves the dial
// where the frame is white.
NeedleFrame KeyWhite(const QImage& onWhite, const QRect& box, qreal dpr) {
    int minX = box.right() + 1, minY = box.bottom() + 1, maxX = -1, maxY = -1;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(onWhite.constScanLine(y));
        for (int x = box.left(); x <= box.right(); ++x) {
            if (row[x] == kWhite) continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = y;
        }
    }
    NeedleFrame frame;
    if (maxX < 0) return frame;
    frame.offset = {minX, minY};
    frame.image = QImage(maxX - minX + 1, maxY - minY + 1, QImage::Format_ARGB32_Premultiplied);
    uchar* bits = frame.image.bits();
    const qsizetype stride = frame.image.bytesPerLine();
    for (int y = minY; y <= maxY; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(onWhite.constScanLine(y)) + minX;
        auto* dst = reinterpret_cast<QRgb*>(bits + (y - minY) * stride);
        for (int x = 0; x <= maxX - minX; ++x)
            dst[x] = src[x] == kWhite ? 0u : (src[x] | 0xFF000000u);
    }
    frame.image.setDevicePixelRatio(dpr);
    return frame;
}

// The same needle turned a further 90 degrees clockwise about the dial's centre. Exact on
// the pixel grid, so a quarter of the frames is enough to paint.
NeedleFrame TurnQuarter(const NeedleFrame& f, int deviceSize, qreal dpr) {
    NeedleFrame out;
    if (f.image.isNull()) return out;
    const int h = f.image.height();
    // Qt's quarter turn is a cache-friendly pixel copy, clockwise on screen.
    out.image = f.image.transformed(QTransform().rotate(90));
    out.image.setDevicePixelRatio(dpr);
    out.offset = {deviceSize - f.offset.y() - h, f.offset.x()};
    return out;
}

// The needle seen in a mirror held along the vertical through the dial's centre: a needle
// symmetric about its own axis then points at the opposite bearing, 360 - b.
NeedleFrame Mirror(const NeedleFrame& f, int deviceSize, qreal dpr) {
    NeedleFrame out;
    if (f.image.isNull()) return out;
    out.image = f.image.mirrored(true, false);
    out.image.setDevicePixelRatio(dpr);
    out.offset = {deviceSize - f.offset.x() - f.image.width(), f.offset.y()};
    return out;
}

// `paint` draws the needle pointing at a bearing and returns the logical rectangle it
// painted in.
using NeedlePainter = QRectF (*)(QPainter&, int bearing);

// Bearings 0 to this are painted; every other one is a mirror image or quarter turns of one.
constexpr int kLastPaintedBearing = 45;

// Paints the needle at bearings 0 to 45 (index = bearing).
std::vector<NeedleFrame> PaintBaseBearings(qreal dpr, NeedlePainter paint) {
    std::vector<NeedleFrame> frames(DialArtwork::kFrameCount);
    // One white canvas serves every frame: only the area a frame painted is searched and
    // whitened again afterwards.
    QImage canvas = WhiteCanvas(dpr);
    uchar* bits = canvas.bits();
    const qsizetype stride = canvas.bytesPerLine();
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k <= kLastPaintedBearing; ++k) {
        p.save();
        const QRectF drawn = paint(p, k);
        p.restore();
        const QRect box = QRectF(drawn.topLeft() * dpr, drawn.size() * dpr)
                              .toAlignedRect()
                              .adjusted(-2, -2, 2, 2)
                              .intersected(canvas.rect());
        frames[k] = KeyWhite(canvas, box, dpr);
        for (int y = box.top(); y <= box.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
            std::fill(row + box.left(), row + box.right() + 1, kWhite);
        }
    }
    return frames;
}

void PaintBezel(QPainter& p) {
    const QPointF c(kCentre, kCentre);
    p.setPen(Qt::NoPen);
    QRadialGradient rim(c, 75.5);
    rim.setColorAt(0.90, QColor(70, 75, 84));
    rim.setColorAt(1.0, QColor(150, 156, 166));
    p.setBrush(rim);
    p.drawEllipse(c, 74.5, 74.5);
    QRadialGradient face(QPointF(kCentre, kCentre - 25), 95);
    face.setColorAt(0.0, QColor(46, 50, 58));
    face.setColorAt(1.0, QColor(14, 15, 18));
    p.setBrush(face);
    p.drawEllipse(c, 70.5, 70.5);
}

void DrawTick(QPainter& p, double bearing, double outer, double length, double width,
              const QColor& colour) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(OnCircle(outer, bearing), OnCircle(outer - length, bearing));
}

void DrawCentredText(QPainter& p, const QPointF& at, const QString& text) {
    p.drawText(QRectF(at.x() - 20, at.y() - 10, 40, 20), Qt::AlignCenter, text);
}

void PaintSpeedFace(QPainter& p) {
    PaintBezel(p);
    // The red zone from 180 km/h up.
    p.setPen(QPen(QColor(200, 40, 30), 3.0, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    const QRectF arc(kCentre - 66.5, kCentre - 66.5, 133, 133);
    // Qt angles: counter-clockwise from three o'clock, in sixteenths of a degree.
    const double from = 90.0 - (kSpeedZeroBearing + 180.0);
    p.drawArc(arc, static_cast<int>(from * 16), static_cast<int>(-40 * 16));

    const QColor tickColour(235, 238, 242);
    for (int v = 0; v <= 220; v += 5) {
        const double bearing = kSpeedZeroBearing + v;
        if (v % 20 == 0) {
            DrawTick(p, bearing, 69, 10, 2.0, tickColour);
        } else if (v % 10 == 0) {
            DrawTick(p, bearing, 69, 6, 1.2, tickColour);
        } else {
            DrawTick(p, bearing, 69, 3.5, 0.8, QColor(170, 175, 182));
        }
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(8);
    font.setBold(true);
    font.setStretch(QFont::SemiCondensed);
    p.setFont(font);
    p.setPen(tickColour);
    for (int v = 0; v <= 220; v += 20) {
        DrawCentredText(p, OnCircle(49, kSpeedZeroBearing + v), QString::number(v));
    }
}

QRectF PaintSpeedNeedle(QPainter& p, int bearing) {
    p.translate(kCentre, kCentre);
    p.rotate(bearing);  // clockwise on screen, from straight up
    const QPolygonF needle{{0, -63}, {3.2, 0}, {2.2, 14}, {-2.2, 14}, {-3.2, 0}};
    p.setPen(QPen(QColor(110, 16, 10), 0.8));
    p.setBrush(QColor(232, 48, 28));
    p.drawPolygon(needle);
    p.setPen(QPen(QColor(150, 154, 160), 1.0));
    p.setBrush(QColor(52, 55, 62));
    p.drawEllipse(QPointF(0, 0), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 28));
    p.drawEllipse(QPointF(0, 0), 2.2, 2.2);
    return p.transform().mapRect(QRectF(-8, -64, 16, 80));
}

void PaintCompassFace(QPainter& p) {
    PaintBezel(p);
    const QPointF c(kCentre, kCentre);
    // An eight-pointed star behind the letters, long points on the cardinal bearings.
    for (int i = 0; i < 8; ++i) {
        const double bearing = 45.0 * i;
        const double length = i % 2 == 0 ? 44 : 30;
        for (int side = -1; side <= 1; side += 2) {
            QPainterPath half;
            half.moveTo(c);
            half.lineTo(OnCircle(length, bearing));
            half.lineTo(OnCircle(7, bearing + side * 22.5));
            half.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(side < 0 ? QColor(72, 78, 90) : QColor(52, 57, 66));
            p.drawPath(half);
        }
    }
    for (int b = 0; b < 360; b += 10) {
        if (b % 90 == 0) continue;
        DrawTick(p, b, 69, b % 45 == 0 ? 7 : 4, b % 45 == 0 ? 1.6 : 1.0, QColor(190, 195, 202));
    }
    QFont big(QStringLiteral("DejaVu Sans"));
    big.setStyleHint(QFont::SansSerif);
    big.setPixelSize(17);
    big.setBold(true);
    QFont small = big;
    small.setPixelSize(9);
    const char* cardinal[] = {"N", "E", "S", "W"};
    const char* between[] = {"NE", "SE", "SW", "NW"};
    for (int i = 0; i < 4; ++i) {
        p.setFont(big);
        p.setPen(i == 0 ? QColor(240, 72, 56) : QColor(236, 238, 242));
        DrawCentredText(p, OnCircle(58, 90.0 * i), QString::fromLatin1(cardinal[i]));
        p.setFont(small);
        p.setPen(QColor(200, 204, 210));
        DrawCentredText(p, OnCircle(55, 90.0 * i + 45), QString::fromLatin1(between[i]));
    }
}

QRectF PaintCompassNeedle(QPainter& p, int bearing) {
    p.translate(kCentre, kCentre);
    p.rotate(bearing);  // the red end's bearing
    p.setPen(QPen(QColor(100, 14, 8), 0.8));
    p.setBrush(QColor(226, 42, 30));
    p.drawPolygon(QPolygonF{{0, -56}, {6, 0}, {-6, 0}});
    p.setPen(QPen(QColor(70, 72, 78), 0.8));
    p.setBrush(QColor(164, 166, 172));
    p.drawPolygon(QPolygonF{{0, 56}, {6, 0}, {-6, 0}});
    p.setPen(QPen(QColor(140, 144, 150), 1.0));
    p.setBrush(QColor(48, 50, 56));
    p.drawEllipse(QPointF(0, 0), 4.5, 4.5);
    return p.transform().mapRect(QRectF(-7, -57, 14, 114));
}

QImage MakeFace(qreal dpr, void (*paint)(QPainter&)) {
    QImage face = WhiteCanvas(dpr);
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paint(p);
    return face;
}

}  // namespace

DialArtwork DialArtwork::Speedometer(qreal dpr) {
    DialArtwork art;
    art.dpr_ = dpr;
    art.restBearing_ = static_cast<int>(kSpeedZeroBearing);
    art.face_ = MakeFace(dpr, PaintSpeedFace);
    art.byBearing_ = PaintBaseBearings(dpr, PaintSpeedNeedle);
    art.made_.assign(kFrameCount, false);
    std::fill(art.made_.begin(), art.made_.begin() + kLastPaintedBearing + 1, true);
    return art;
}

DialArtwork DialArtwork::Compass(qreal dpr) {
    DialArtwork art;
    art.dpr_ = dpr;
    art.restBearing_ = 180;  // frame 0: red end straight down
    art.face_ = MakeFace(dpr, PaintCompassFace);
    art.byBearing_ = PaintBaseBearings(dpr, PaintCompassNeedle);
    art.made_.assign(kFrameCount, false);
    std::fill(art.made_.begin(), art.made_.begin() + kLastPaintedBearing + 1, true);
    return art;
}

const NeedleFrame& DialArtwork::Frame(int k) const {
    if (k < 0 || k >= kFrameCount) throw std::out_of_range("needle frame");
    return AtBearing((restBearing_ + k) % 360);
}

const NeedleFrame& DialArtwork::AtBearing(int bearing) const {
    const auto i = static_cast<std::size_t>(bearing);
    if (!made_[i]) {
        if (bearing > 360 - kLastPaintedBearing) {
            byBearing_[i] = Mirror(AtBearing(360 - bearing), face_.width(), dpr_);
        } else {
            byBearing_[i] = TurnQuarter(AtBearing((bearing + 270) % 360), face_.width(), dpr_);
        }
        made_[i] = true;
    }
    return byBearing_[i];
}

void DialArtwork::DrawFace(QPainter& painter) const {
    painter.drawImage(QPointF(0, 0), face_);
}

void DialArtwork::DrawFrame(QPainter& painter, int k) const {
    const NeedleFrame& f = Frame(k);
    if (f.image.isNull()) return;
    painter.drawImage(QPointF(f.offset) / dpr_, f.image);
}

}  // namespace tesmira
