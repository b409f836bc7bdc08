#include "instruments/line_chart.h"

#include <gtest/gtest.h>

#include <QImage>

#include "widget_test_app.h"

namespace tesmira {
namespace {

using test::App;

bool Near(const QColor& c, int r, int g, int b) {
    return std::abs(c.red() - r) < 40 && std::abs(c.green() - g) < 40 &&
           std::abs(c.blue() - b) < 40;
}

// Rows of column x whose pixel is close to the colour.
std::vector<int> RowsOf(const QImage& img, int x, int r, int g, int b) {
    std::vector<int> rows;
    for (int y = 0; y < img.height(); ++y) {
        if (Near(img.pixelColor(x, y), r, g, b)) rows.push_back(y);
    }
    return rows;
}

QImage Render(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// As a film load sets the chart up: three lines, 0 .. 5,120,000.
void SetUpForFilm(LineChart& chart) {
    chart.RemoveAllLines();
    chart.AddLine(Rgb(255, 0, 0));
    chart.AddLine(Rgb(0, 255, 0));
    chart.AddLine(Rgb(0, 0, 255));
    chart.ValueAxis().colour = Rgb(0x73, 0x73, 0x73);
    chart.ValueAxis().minimum = 0;
    chart.ValueAxis().maximum = 5120000;
    chart.RecalcLayout();
    chart.SetPosition(0);
    chart.SetPeriod(1000);
}

TEST(LineChart, LayoutFollowsTheSize) {
    App();
    LineChart chart;
    chart.resize(460, 100);
    chart.grab();  // delivers the resize
    EXPECT_EQ(chart.Layout().plot, (IntRect{55, 15, 455, 65}));
    chart.resize(600, 140);
    chart.grab();
    EXPECT_EQ(chart.Layout().plot, (IntRect{55, 15, 595, 105}));
}

TEST(LineChart, InactiveChartShowsEdgesGridAndLegendOnly) {
    App();
    LineChart chart;
    chart.resize(460, 100);
    chart.grab();
    SetUpForFilm(chart);
    for (int i = 0; i < 100; ++i) chart.Line(0).AddPoint(i, 2560000);
    const QImage img = Render(chart);
    EXPECT_EQ(img.pixelColor(2, 2), QColor(Qt::white));
    // Dotted grey edges and the middle grid line (row 40 for 0 g) somewhere along the plot.
    for (int row : {15, 40, 65}) {
        int grey = 0;
        for (int x = 55; x < 455; ++x) grey += Near(img.pixelColor(x, row), 0x73, 0x73, 0x73);
        EXPECT_GT(grey, 60) << row;
        EXPECT_LT(grey, 340) << row;  // dotted, not solid
    }
    EXPECT_TRUE(RowsOf(img, 250, 255, 0, 0).empty());  // lines hidden while inactive
    // Legend texts in their colours, left of x = 55 + 140 + 60.
    int red = 0, blue = 0;
    for (int y = 65; y < 85; ++y) {
        for (int x = 60; x < 260; ++x) {
            red += Near(img.pixelColor(x, y), 255, 0, 0);
            blue += Near(img.pixelColor(x, y), 0, 0, 255);
        }
    }
    EXPECT_GT(red, 5);
    EXPECT_GT(blue, 5);
    // Labels in grey within the label column.
    int labelGrey = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 5; x < 50; ++x) labelGrey += Near(img.pixelColor(x, y), 0x73, 0x73, 0x73);
    EXPECT_GT(labelGrey, 10);
}

// Grey pixels along a plot row, between the plot's left and right edges.
int GreyAlong(const QImage& img, int row) {
    int n = 0;
    for (int x = 55; x < 455; ++x) n += Near(img.pixelColor(x, row), 0x73, 0x73, 0x73);
    return n;
}

int CountIn(const QImage& img, const QRect& box, int r, int g, int b) {
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) n += Near(img.pixelColor(x, y), r, g, b);
    return n;
}

TEST(LineChart, AxisFlagsSwitchEdgesGridLabelsAndLegendApart) {
    App();
    LineChart chart;
    chart.resize(460, 100);  // plot 55..455 x 15..65, labels at rows 65, 52, 40, 27, 15
    chart.grab();
    SetUpForFilm(chart);
    const QRect labelColumn(5, 0, 50, 100);
    const QRect legendText(60, 75, 200, 15);

    QImage img = Render(chart);
    // Two edges and the three inner grid lines; nothing between them, and no vertical lines.
    for (int row : {15, 27, 40, 52, 65}) EXPECT_GT(GreyAlong(img, row), 60) << row;
    for (int row : {21, 33, 46, 58}) EXPECT_EQ(GreyAlong(img, row), 0) << row;
    EXPECT_EQ(CountIn(img, QRect(54, 16, 3, 10), 0x73, 0x73, 0x73), 0);
    EXPECT_EQ(CountIn(img, QRect(453, 16, 5, 10), 0x73, 0x73, 0x73), 0);
    const int labels = CountIn(img, labelColumn, 0x73, 0x73, 0x73);
    EXPECT_GT(labels, 20);
    EXPECT_GT(CountIn(img, legendText, 255, 0, 0), 5);

    // Grid off: the edges and labels stay, the inner lines go.
    chart.ValueAxis().grid = 0;
    img = Render(chart);
    for (int row : {27, 40, 52}) EXPECT_EQ(GreyAlong(img, row), 0) << row;
    for (int row : {15, 65}) EXPECT_GT(GreyAlong(img, row), 60) << row;
    EXPECT_EQ(CountIn(img, labelColumn, 0x73, 0x73, 0x73), labels);

    // Axis hidden, grid on: no edges, but the labels and the inner lines are still drawn.
    chart.ValueAxis().grid = 1;
    chart.ValueAxis().shown = 0;
    img = Render(chart);
    for (int row : {15, 65}) EXPECT_EQ(GreyAlong(img, row), 0) << row;
    for (int row : {27, 40, 52}) EXPECT_GT(GreyAlong(img, row), 60) << row;
    EXPECT_EQ(CountIn(img, labelColumn, 0x73, 0x73, 0x73), labels);

    // A range below 4 units: no labels, no inner lines; the edges still show.
    chart.ValueAxis().shown = 1;
    chart.ValueAxis().maximum = 3.99;
    chart.RecalcLayout();
    img = Render(chart);
    EXPECT_EQ(CountIn(img, labelColumn, 0x73, 0x73, 0x73), 0);
    for (int row : {27, 40, 52}) EXPECT_EQ(GreyAlong(img, row), 0) << row;
    for (int row : {15, 65}) EXPECT_GT(GreyAlong(img, row), 60) << row;

    // The colour applies at the next paint, without a new layout.
    chart.ValueAxis().colour = Rgb(0, 0, 0xC0);
    img = Render(chart);
    EXPECT_EQ(GreyAlong(img, 15), 0);
    EXPECT_GT(CountIn(img, QRect(55, 15, 400, 1), 0, 0, 0xC0), 60);

    // The legend hangs on both flags of the sample axis.
    chart.SampleAxis().grid = 0;
    EXPECT_EQ(CountIn(Render(chart), legendText, 255, 0, 0), 0);
    chart.SampleAxis().grid = 1;
    chart.SampleAxis().shown = 0;
    EXPECT_EQ(CountIn(Render(chart), legendText, 255, 0, 0), 0);
}

TEST(LineChart, LinesStandWhereTheGeometrySays) {
    App();
    LineChart chart;
    chart.resize(460, 100);  // plot 55..455 x 15..65
    chart.grab();
    SetUpForFilm(chart);
    for (int i = 0; i < 100; ++i) {
        chart.Line(0).AddPoint(i, 384 * 10000.0);                           // row 27
        chart.Line(1).AddPoint(i, 256 * 10000.0);                           // row 40
        chart.Line(2).AddPoint(i, i < 50 ? 128 * 10000.0 : 256 * 10000.0);  // rows 52, 40
    }
    chart.StartAt(50);
    const QImage img = Render(chart);
    // Shown samples reach from the left edge to 55 + 49 * 400 / 99 = 252.
    for (int x : {60, 150, 245}) {
        const auto red = RowsOf(img, x, 255, 0, 0);
        ASSERT_FALSE(red.empty()) << x;
        EXPECT_GE(red.front(), 26);
        EXPECT_LE(red.back(), 28);
        const auto blue = RowsOf(img, x, 0, 0, 255);
        ASSERT_FALSE(blue.empty()) << x;
        EXPECT_GE(blue.front(), 51);
        EXPECT_LE(blue.back(), 53);
        EXPECT_FALSE(RowsOf(img, x, 0, 255, 0).empty()) << x;
    }
    for (int x : {270, 400}) {  // older samples are not shown yet
        EXPECT_TRUE(RowsOf(img, x, 255, 0, 0).empty()) << x;
        EXPECT_TRUE(RowsOf(img, x, 0, 0, 255).empty()) << x;
    }
    // One more tick brings the blue line's step to the left edge.
    chart.TimerTick();
    chart.TimerTick();
    const QImage later = Render(chart);
    const auto blueLeft = RowsOf(later, 57, 0, 0, 255);
    ASSERT_FALSE(blueLeft.empty());
    EXPECT_LE(blueLeft.back(), 41);
}

TEST(LineChart, TimerStepsStopsAtTheEndAndHaltHidesTheLines) {
    App();
    LineChart chart;
    chart.resize(460, 100);
    chart.grab();
    SetUpForFilm(chart);
    for (int i = 0; i < 2; ++i)
        for (int l = 0; l < 3; ++l) chart.Line(l).AddPoint(i, 2560000);
    chart.StartAt(0);
    EXPECT_TRUE(chart.TimerRunning());
    EXPECT_TRUE(chart.Active());
    chart.TimerTick();
    chart.TimerTick();
    EXPECT_EQ(chart.Position(), 2);
    EXPECT_TRUE(chart.TimerRunning());
    chart.TimerTick();
    EXPECT_FALSE(chart.TimerRunning());
    EXPECT_EQ(chart.Position(), 2);

    chart.StartAt(1);
    chart.Pause();
    EXPECT_FALSE(chart.TimerRunning());
    EXPECT_TRUE(chart.Active());

    // A start beyond the last sample: the timer stops at the first tick.
    chart.StartAt(9);
    chart.TimerTick();
    EXPECT_FALSE(chart.TimerRunning());
    EXPECT_EQ(chart.Position(), 9);
    EXPECT_FALSE(RowsOf(Render(chart), 56, 0, 0, 255).empty());  // blue is drawn last

    chart.Halt();
    EXPECT_FALSE(chart.Active());
    EXPECT_TRUE(RowsOf(Render(chart), 56, 0, 0, 255).empty());
}

TEST(LineChart, NarrowChartPaintsWithoutLines) {
    App();
    LineChart chart;
    chart.resize(50, 100);
    chart.grab();
    SetUpForFilm(chart);
    for (int i = 0; i < 500; ++i) chart.Line(0).AddPoint(i, 2560000);
    chart.StartAt(100);
    const QImage img = Render(chart);
    int red = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 50; ++x) red += Near(img.pixelColor(x, y), 255, 0, 0);
    EXPECT_EQ(red, 0);
}

}  // namespace
}  // namespace tesmira
