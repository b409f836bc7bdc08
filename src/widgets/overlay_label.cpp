#include "widgets/overlay_label.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QUrl>
#include <algorithm>

#include "widgets/label_lines.h"

namespace tesmira {

QColor ColorFromColorRef(unsigned colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

OverlayLabel::OverlayLabel(QWidget* parent) : OverlayLabel(QString(), parent) {}

OverlayLabel::OverlayLabel(const QString& text, QWidget* parent)
    : QWidget(parent),
      text_(text),
      textColor_(palette().color(QPalette::WindowText)),
      backgroundColor_(palette().color(QPalette::Button)) {
    setAcceptDrops(true);
    // Every pixel is painted here; nothing behind needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void OverlayLabel::setText(const QString& text) {
    text_ = text;
    update();
}

void OverlayLabel::setLabelFont(const QString& face, int height, int weight) {
    // The height is that of the character cell (ascent plus descent), as in a
    // font description with a positive height, so the em is somewhat smaller.
    QFont f(face);
    const int cell = std::max(1, height);
    f.setPixelSize(cell);
    const int measured = QFontMetrics(f).height();
    if (measured > cell) f.setPixelSize(std::max(1, qRound(cell * double(cell) / measured)));
    // 0 asks for the default weight, as in a font description.
    f.setWeight(weight <= 0 ? QFont::Normal : static_cast<QFont::Weight>(std::min(weight, 1000)));
    setFont(f);  // the font change event repaints
}

void OverlayLabel::setTextColor(const QColor& color) {
    textColor_ = color;
    update();
}

void OverlayLabel::setBackgroundColor(const QColor& color) {
    backgroundColor_ = color;
    update();
}

void OverlayLabel::setWrap(bool wrap) {
    wrap_ = wrap;
    update();
}

void OverlayLabel::setCenterImage(bool centre) {
    centerImage_ = centre;
    update();
}

bool OverlayLabel::setBitmapFile(const QString& path) {
    QImageReader reader(path, "bmp");
    QImage image = reader.read();
    if (image.isNull()) return false;
    bitmap_ = std::move(image);
    hasBitmap_ = true;
    update();
    return true;
}

std::vector<QString> OverlayLabel::lines() const {
    std::vector<QString> out;
    if (!wrap_) {
        if (!text_.isEmpty()) out.push_back(text_);
        return out;
    }
    const QFontMetrics metrics(font());
    const auto measure = [&metrics](std::u16string_view piece) {
        return metrics.horizontalAdvance(
            QString::fromUtf16(piece.data(), static_cast<qsizetype>(piece.size())));
    };
    const std::u16string text = text_.toStdU16String();
    for (const std::u16string& line : BreakLabelLines(text, width(), measure))
        out.push_back(QString::fromStdU16String(line));
    return out;
}

int OverlayLabel::firstLineTop() const {
    const QFontMetrics metrics(font());
    return FirstLineTop(0, height(), static_cast<int>(lines().size()), metrics.height(),
                        centerImage_);
}

void OverlayLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (hasBitmap_) {
        // The source leaves out the last column and row, as the label always has.
        const QRect source(0, 0, std::max(1, bitmap_.width() - 1),
                           std::max(1, bitmap_.height() - 1));
        painter.drawImage(rect(), bitmap_, source);
    } else {
        painter.fillRect(rect(), backgroundColor_);
    }

    painter.setFont(font());
    painter.setPen(textColor_);
    const int lineHeight = QFontMetrics(font()).height();
    int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
    if (text_.contains(QLatin1Char('\t'))) flags |= Qt::TextExpandTabs;
    const std::vector<QString> drawn = lines();
    const int top =
        FirstLineTop(0, height(), static_cast<int>(drawn.size()), lineHeight, centerImage_);
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const QRect lineRect(0, top + static_cast<int>(i) * lineHeight, width(), lineHeight);
        painter.drawText(lineRect, flags, drawn[i]);
    }
}

void OverlayLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) update();
    QWidget::changeEvent(event);
}

// Any file drag is taken by the label, so that a drop on it never reaches the
// pane behind it, even when the label itself ignores what was dropped.
void OverlayLabel::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void OverlayLabel::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void OverlayLabel::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return;
    const QString path = urls.front().toLocalFile();
    if (QFileInfo(path).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) != 0) return;
    setBitmapFile(path);
}

}  // namespace tesmira
