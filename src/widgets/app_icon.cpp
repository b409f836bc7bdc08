#include "widgets/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace tesmira {

void PaintTesmiraIcon(QPainter& painter, qreal s) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    // Body: a dark rounded square.
    QPainterPath body;
    body.addRoundedRect(QRectF(0.04 * s, 0.04 * s, 0.92 * s, 0.92 * s), 0.2 * s, 0.2 * s);
    painter.fillPath(body, QColor(0x22, 0x2b, 0x36));

    // Lens: a light ring around a deep blue glass.
    const QPointF centre(0.5 * s, 0.54 * s);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd8, 0xde, 0xe6));
    painter.drawEllipse(centre, 0.33 * s, 0.33 * s);
    painter.setBrush(QColor(0x1f, 0x5f, 0xa8));
    painter.drawEllipse(centre, 0.26 * s, 0.26 * s);

    // Play mark in the glass.
    const QPolygonF play(
        {QPointF(0.42 * s, 0.40 * s), QPointF(0.42 * s, 0.68 * s), QPointF(0.66 * s, 0.54 * s)});
    painter.setBrush(Qt::white);
    painter.drawPolygon(play);

    // Recording light in the corner.
    painter.setBrush(QColor(0xe5, 0x39, 0x35));
    painter.drawEllipse(QPointF(0.8 * s, 0.18 * s), 0.07 * s, 0.07 * s);
    painter.restore();
}

QImage TesmiraIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintTesmiraIcon(painter, size);
    return image;
}

QIcon TesmiraIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(TesmiraIconImage(size)));
    return icon;
}

}  // namespace tesmira
