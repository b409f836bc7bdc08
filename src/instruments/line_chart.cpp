#include "instruments/line_chart.h"

#include <QPaintEvent>
#include <QPainter>

namespace tesmira {
namespace {

QColor ToQColor(ColorRef c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

Qt::PenStyle ToPenStyle(int style) {
    switch (style) {
        case 1:
            return Qt::DashLine;
        case 2:
            return Qt::DotLine;
        case 3:
            return Qt::DashDotLine;
        case 4:
            return Qt::DashDotDotLine;
        case 5:
            return Qt::NoPen;
        default:
            return Qt::SolidLine;
    }
}

QPen MakePen(int style, int width, ColorRef colour) {
    QPen pen(ToQColor(colour), width, ToPenStyle(style));
    pen.setCosmetic(width <= 1);
    return pen;
}

QRect ToQRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

const char* const kLabels[] = {"-2G", "-1G", "0G", "+1G", "+2G"};

}  // namespace

LineChart::LineChart(QWidget* parent) : QWidget(parent) {
    setProperty("controlId", 1004);
    // Every pixel is painted in one pass; there is no separate erase to flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer1_.setTimerType(Qt::PreciseTimer);
    connect(&timer1_, &QTimer::timeout, this, &LineChart::TimerTick);
    RecalcLayout();
}

void LineChart::RecalcLayout() {
    const QRect r = rect();
    model_.RecalcLayout({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
}

void LineChart::StartAt(int position) {
    if (model_.StartAt(position)) timer1_.start(model_.Period());
}

void LineChart::Pause() {
    timer1_.stop();
}

void LineChart::Halt() {
    timer1_.stop();
    model_.Halt();
    update();
}

void LineChart::TimerTick() {
    if (!model_.Tick()) timer1_.stop();
    update();
}

void LineChart::resizeEvent(QResizeEvent*) {
    RecalcLayout();
    update();
}

void LineChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    PaintAxis(painter);
    PaintLegend(painter);
    PaintLines(painter);
    PaintMarks(painter);
}

void LineChart::PaintAxis(QPainter& painter) {
    const ChartAxis& axis = model_.ValueAxis();
    const ChartLayout& l = model_.Layout();
    const QPen axisPen = MakePen(axis.penStyle, axis.penWidth, axis.colour);
    if (axis.shown != 0) {
        painter.setPen(axisPen);
        painter.drawLine(l.plot.left, l.plot.top, l.plot.right, l.plot.top);
        painter.drawLine(l.plot.right, l.plot.bottom, l.plot.left, l.plot.bottom);
    }
    const std::vector<int> rows = model_.LabelRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int y = rows[i];
        painter.setPen(ToQColor(axis.colour));
        painter.setFont(font());
        // Centred, from the top of a 16-pixel box around the row.
        painter.drawText(ToQRect(l.labels.left, y - 8, l.labels.right - 5, y + 8),
                         Qt::AlignHCenter | Qt::AlignTop, QString::fromLatin1(kLabels[i]));
        if (axis.grid != 0 && i >= 1 && i <= 3) {
            painter.setPen(axisPen);
            painter.drawLine(l.plot.left, y, l.plot.right, y);
        }
    }
}

void LineChart::PaintLegend(QPainter& painter) {
    if (!model_.LegendShown()) return;
    const ChartLayout& l = model_.Layout();
    // Arial, cell height 15 (about a 13-pixel em), normal weight.
    QFont legendFont(QStringLiteral("Arial"));
    legendFont.setStyleHint(QFont::SansSerif);
    legendFont.setPixelSize(13);
    legendFont.setWeight(QFont::Normal);
    painter.setFont(legendFont);
    struct Entry {
        int offset;
        QColor colour;
        const char* text;
    };
    const Entry entries[] = {{20, QColor(255, 0, 0), "X:Red"},
                             {80, QColor(0, 255, 0), "Y:Green"},
                             {140, QColor(0, 0, 255), "Z:Blue"}};
    for (const Entry& e : entries) {
        painter.setPen(e.colour);
        painter.drawText(
            ToQRect(l.legend.left + e.offset, l.legend.top + 10, l.legend.right, l.legend.bottom),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromLatin1(e.text));
    }
}

void LineChart::PaintLines(QPainter& painter) {
    for (const LinePath& path : model_.Polylines()) {
        // Samples of one column group share a vertex; one copy of each draws the same line.
        vertices_.clear();
        for (const IntPoint& p : path.points) {
            if (vertices_.empty() || vertices_.back() != QPoint(p.x, p.y)) {
                vertices_.emplace_back(p.x, p.y);
            }
        }
        if (vertices_.size() < 2) continue;
        painter.setPen(MakePen(path.penStyle, path.penWidth, path.colour));
        if (path.penStyle != 0) {
            painter.drawPolyline(vertices_.data(), static_cast<int>(vertices_.size()));
            continue;
        }
        // A solid wide line drawn segment by segment takes the rasteriser's single-line path,
        // several times faster than stroking one self-overlapping outline; the square caps
        // close the joints.
        for (std::size_t i = 1; i < vertices_.size(); ++i) {
            painter.drawLine(vertices_[i - 1], vertices_[i]);
        }
    }
}

void LineChart::PaintMarks(QPainter& painter) {
    // Ticks at the edges leave the three lines readable where the moment is.
    constexpr int kTick = 8;
    const ChartLayout& l = model_.Layout();
    painter.setPen(QPen(QColor(230, 110, 0), 2));
    for (int x : model_.MarkColumns()) {
        painter.drawLine(x, l.plot.top, x, l.plot.top + kTick);
        painter.drawLine(x, l.plot.bottom - kTick, x, l.plot.bottom);
    }
}

}  // namespace tesmira
