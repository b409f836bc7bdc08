#pragma once
// The G-sensor chart: one line per acceleration axis, replayed one sample per timer tick,
// the newest sample on the plot's left edge, with a "-2G" .. "+2G" value axis and a legend.

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <utility>
#include <vector>

#include "instruments/line_chart_model.h"

namespace tesmira {

class LineChart : public QWidget {
    Q_OBJECT
public:
    explicit LineChart(QWidget* parent = nullptr);

    void RemoveAllLines() { model_.RemoveAllLines(); }
    ChartLine& AddLine(ColorRef colour) { return model_.AddLine(colour); }
    std::size_t LineCount() const { return model_.LineCount(); }
    ChartLine& Line(std::size_t i) { return model_.Line(i); }

    // Minimum, maximum and colour are set directly; they apply at the next layout and paint.
    ChartAxis& ValueAxis() { return model_.ValueAxis(); }
    ChartAxis& SampleAxis() { return model_.SampleAxis(); }
    void RecalcLayout();
    const ChartLayout& Layout() const { return model_.Layout(); }

    // Samples marked by short ticks at the plot's top and bottom edges once replayed.
    void SetMarks(std::vector<int> samples) {
        model_.SetMarks(std::move(samples));
        update();
    }

    void SetPeriod(int milliseconds) { model_.SetPeriod(milliseconds); }
    void SetPosition(int position) { model_.SetPosition(position); }
    // Sets position, activates and starts timer 1 with the period when that is above 0.
    void StartAt(int position);
    // Stops timer 1; what is shown stays.
    void Pause();
    // Stops timer 1, hides the lines and repaints.
    void Halt();
    // What timer 1 runs each period: one sample on, or stop at line 0's end; then repaint.
    void TimerTick();

    int Period() const { return model_.Period(); }
    int Position() const { return model_.Position(); }
    bool Active() const { return model_.Active(); }
    bool TimerRunning() const { return timer1_.isActive(); }
    const LineChartModel& Model() const { return model_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PaintAxis(QPainter& painter);
    void PaintLegend(QPainter& painter);
    void PaintLines(QPainter& painter);
    void PaintMarks(QPainter& painter);

    LineChartModel model_;
    QTimer timer1_;
    std::vector<QPoint> vertices_;  // reused between paints
};

}  // namespace tesmira
