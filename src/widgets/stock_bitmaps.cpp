#include "widgets/stock_bitmaps.h"

#include <QPainter>
#include <QPainterPath>

namespace tesmira {
namespace {

QImage idlePicture() {
    QImage image(710, 399, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

QImage camera() {
    QImage image(61, 40, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(QRectF(12, 11, 37, 24), 4, 4);
    p.drawRect(QRectF(23, 6, 15, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(QPointF(30.5, 23), 8, 8);
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(QPointF(30.5, 23), 4, 4);
    return image;
}

QImage speaker() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    QPainterPath body;
    body.moveTo(1, 5);
    body.lineTo(5, 5);
    body.lineTo(9, 1);
    body.lineTo(9, 15);
    body.lineTo(5, 11);
    body.lineTo(1, 11);
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 4, 6, 8), -60 * 16, 120 * 16);
    p.drawArc(QRectF(6, 1, 9, 14), -60 * 16, 120 * 16);
    return image;
}

}  // namespace

QImage StockBitmap(int id) {
    switch (id) {
        case kIdlePictureId:
            return idlePicture();
        case kCameraBitmapId:
            return camera();
        case kSpeakerBitmapId:
            return speaker();
        default:
            return {};
    }
}

}  // namespace tesmira
