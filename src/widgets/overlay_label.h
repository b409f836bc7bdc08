#pragma once
// The overlay label under the video picture: text in its own font and colour,
// broken into lines and centred, over a solid colour or over a bitmap file that
// the user drops on it. Qt's backing store already paints every update in one
// piece, so no off-screen copy of its own is needed against flicker.

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

namespace tesmira {

// A colour word of the form 0x00BBGGRR.
QColor ColorFromColorRef(unsigned colorRef);

class OverlayLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit OverlayLabel(QWidget* parent = nullptr);
    explicit OverlayLabel(const QString& text, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

    // Face name, character cell height in pixels and weight on the 0-1000 scale
    // (700 = bold).
    void setLabelFont(const QString& face, int height, int weight);
    void setTextColor(const QColor& color);
    QColor textColor() const { return textColor_; }
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return backgroundColor_; }
    void setWrap(bool wrap);
    bool wrap() const { return wrap_; }
    // Vertical centring of the block of lines.
    void setCenterImage(bool centre);
    bool centerImage() const { return centerImage_; }

    // Loads a BMP file as the background; false (and nothing changes) when it
    // cannot be read.
    bool setBitmapFile(const QString& path);
    bool hasBitmap() const { return hasBitmap_; }
    const QImage& bitmap() const { return bitmap_; }

    // The lines as they are drawn at the current size and font.
    std::vector<QString> lines() const;
    // Top of the first drawn line, in widget coordinates.
    int firstLineTop() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QString text_;
    bool wrap_ = true;
    bool centerImage_ = false;
    QColor textColor_;
    QColor backgroundColor_;
    QImage bitmap_;
    bool hasBitmap_ = false;
};

}  // namespace tesmira
