#include "widgets/strench_static.h"

#include <QPainter>

#include "widgets/stock_bitmaps.h"

namespace tesmira {

CStrenchStatic::CStrenchStatic(QWidget* parent) : QWidget(parent) {}

void CStrenchStatic::setPictureId(int id) {
    if (id != pictureId_) {
        pictureId_ = id;
        picture_ = id != 0 ? StockBitmap(id) : QImage();
    }
}

void CStrenchStatic::paintEvent(QPaintEvent*) {
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
