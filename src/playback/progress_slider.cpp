#include "playback/progress_slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <utility>

namespace tesmira {
namespace {

// A left click on the groove puts the thumb under the pointer (and drags it from there)
// instead of paging toward it: the user points at the moment to see.
class ClickToPointStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Slider_AbsoluteSetButtons) return Qt::LeftButton | Qt::MiddleButton;
        if (hint == SH_Slider_PageSetButtons) return Qt::NoButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Marks stand out from every style's groove and thumb.
const QColor kMarkColour(230, 110, 0);
constexpr int kMarkWidth = 2;

}  // namespace

ProgressSlider::ProgressSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    auto* style = new ClickToPointStyle;
    style->setParent(this);
    setStyle(style);
}

void ProgressSlider::SetMarks(std::vector<int> values) {
    if (values == marks_) return;
    marks_ = std::move(values);
    update();
}

void ProgressSlider::paintEvent(QPaintEvent* event) {
    if (marks_.empty()) {
        QSlider::paintEvent(event);
        return;
    }
    // The groove, the marks on it, then the thumb over them.
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_SliderGroove;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect thumb =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - thumb.width();
    for (int value : marks_) {
        const int x = groove.left() + thumb.width() / 2 +
                      QStyle::sliderPositionFromValue(minimum(), maximum(), value, span);
        painter.fillRect(x - kMarkWidth / 2, 0, kMarkWidth, height(), kMarkColour);
    }
    option.subControls = QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
}

void ProgressSlider::keyPressEvent(QKeyEvent* event) {
    // Not a step of the slider: the window's jump to an event.
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        event->ignore();
        return;
    }
    QSlider::keyPressEvent(event);
}

void ProgressSlider::mouseReleaseEvent(QMouseEvent* event) {
    // The style may let another button than the left one drag the thumb; the
    // drag ends with that button's release.
    const bool wasDown = isSliderDown();
    QSlider::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton || (wasDown && !isSliderDown())) emit endTrack();
}

void ProgressSlider::keyReleaseEvent(QKeyEvent* event) {
    QSlider::keyReleaseEvent(event);
    if (event->isAutoRepeat()) return;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
            emit endTrack();
            break;
        default:
            break;
    }
}

void ProgressSlider::wheelEvent(QWheelEvent* event) {
    const int before = value();
    QSlider::wheelEvent(event);
    if (value() != before) emit endTrack();
}

}  // namespace tesmira
