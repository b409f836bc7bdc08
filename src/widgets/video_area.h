#pragma once
// The video area: paints a stock picture stretched over itself while it has a
// picture id, and a plain black frame when the id is 0.

#include <QImage>
#include <QWidget>

namespace tesmira {

class VideoArea : public QWidget {
    Q_OBJECT

public:
    explicit VideoArea(QWidget* parent = nullptr);

    void setPictureId(int id);
    int pictureId() const { return pictureId_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int pictureId_ = 0;
    QImage picture_;
};

}  // namespace tesmira
