#include "widgets/video_area.h"

#include <QPainter>

#include "widgets/stock_bitmaps.h"

namespace tesmira {

VideoArea::VideoArea(QWidget* parent) : QWidget(parent) {}

void VideoArea::setPictureId(int id) {
    if (id != pictureId_) {
        pictureId_ = id;
        picture_ = id != 0 ? StockBitmap(id) : QImage();
    }
}

void VideoArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (pictureId_ != 0 && !picture_.isNull()) {
        painter.drawImage(rect(), picture_);
        return;
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tesmira
