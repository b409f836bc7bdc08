#pragma once
// The progress slider. Besides QSlider's own signals it reports the end of every
// user interaction (mouse released, navigation key released, wheel turned), the
// moment at which a seek is made. A left click on the groove puts the thumb at the
// clicked point, as players do; the keys keep their steps.

#include <QSlider>

namespace tesmira {

class ProgressSlider : public QSlider {
    Q_OBJECT

public:
    explicit ProgressSlider(QWidget* parent = nullptr);

signals:
    void endTrack();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace tesmira
