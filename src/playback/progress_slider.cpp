#include "playback/progress_slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QWheelEvent>

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

}  // namespace

ProgressSlider::ProgressSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    auto* style = new ClickToPointStyle;
    style->setParent(this);
    setStyle(style);
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
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
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
