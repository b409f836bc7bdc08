#pragma once
// The progress slider. Besides QSlider's own signals it reports the end of every
// user interaction (mouse released, navigation key released, wheel turned), the
// moment at which a seek is made. A left click on the groove puts the thumb at the
// clicked point, as players do; the arrow keys keep their steps, the page keys are
// left to the window (they jump between events). Marks can be drawn on the groove.

#include <QSlider>
#include <vector>

namespace tesmira {

class ProgressSlider : public QSlider {
    Q_OBJECT

public:
    explicit ProgressSlider(QWidget* parent = nullptr);

    // Slider values to mark on the groove (the moments worth finding), under the thumb.
    void SetMarks(std::vector<int> values);
    const std::vector<int>& Marks() const { return marks_; }

signals:
    void endTrack();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    std::vector<int> marks_;
};

}  // namespace tesmira
