#include "instruments/speed_dial.h"

#include <QPainter>

#include "instruments/needle_frame.h"

namespace tesmira {

SpeedDial::SpeedDial(QWidget* parent, UnitReader readUnit)
    : DialControl(&DialArtwork::Speedometer, parent),
      readUnit_(readUnit ? std::move(readUnit) : SettingsUnitReader()) {
    setProperty("controlId", 1005);
}

int SpeedDial::FrameForPaint(const std::string& unit) const {
    return Replay().WithValues([&](const std::vector<double>& values) {
        return SpeedNeedleFrame(values, Replay().Position(), unit);
    });
}

int SpeedDial::CurrentFrame() const {
    return Active() ? FrameForPaint(readUnit_()) : kNoNeedle;
}

QString SpeedDial::UnitText() const {
    return QString::fromStdString(SpeedUnitText(readUnit_()));
}

void SpeedDial::PaintOver(QPainter& painter, const std::string& unit) {
    const std::string text = SpeedUnitText(unit);
    if (text.empty()) return;
    // Arial, cell height 15 (about a 13-pixel em), normal weight.
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    painter.setPen(QColor(255, 0, 0));
    painter.drawText(QRect(50, 115, 51, 14), Qt::AlignCenter | Qt::TextSingleLine,
                     QString::fromStdString(text));
}

}  // namespace tesmira
