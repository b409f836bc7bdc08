#include "instruments/line_chart_model.h"

#include <gtest/gtest.h>

namespace tesmira {
namespace {

// The chart as a film load sets it up: red, green, blue lines, 0 .. 5,120,000.
void SetUpForFilm(LineChartModel& m, int samples, const IntRect& client) {
    m.RemoveAllLines();
    m.AddLine(Rgb(255, 0, 0));
    m.AddLine(Rgb(0, 255, 0));
    m.AddLine(Rgb(0, 0, 255));
    m.ValueAxis().minimum = 0;
    m.ValueAxis().maximum = 5120000;
    m.RecalcLayout(client);
    m.SetPosition(0);
    m.SetPeriod(1000);
    for (int i = 0; i < samples; ++i) {
        m.Line(0).AddPoint(i, 256 * 10000.0);
        m.Line(1).AddPoint(i, 384 * 10000.0);
        m.Line(2).AddPoint(i, 128 * 10000.0);
    }
}

TEST(LineChartModel, DefaultsBeforeAnyFilm) {
    LineChartModel m;
    EXPECT_EQ(m.LineCount(), 0u);
    EXPECT_EQ(m.Period(), 500);
    EXPECT_EQ(m.Position(), 0);
    EXPECT_FALSE(m.Active());
    EXPECT_DOUBLE_EQ(m.ValueAxis().maximum, 10000.0);
    EXPECT_EQ(m.ValueAxis().colour, Rgb(0x73, 0x73, 0x73));
    EXPECT_EQ(m.ValueAxis().penStyle, 2);
    EXPECT_TRUE(m.LegendShown());
    m.SampleAxis().grid = 0;
    EXPECT_FALSE(m.LegendShown());
    const ChartLine& line = m.AddLine(Rgb(1, 2, 3));
    EXPECT_EQ(line.shown, 1);
    EXPECT_EQ(line.penStyle, 0);
    EXPECT_EQ(line.penWidth, 2);
    EXPECT_EQ(line.PointCount(), 0u);
}

TEST(LineChartModel, RecalcLayoutSetsTheScale) {
    LineChartModel m;
    SetUpForFilm(m, 0, {0, 0, 460, 105});
    EXPECT_EQ(m.Layout().plot, (IntRect{55, 15, 455, 70}));
    EXPECT_DOUBLE_EQ(m.ValueAxis().scale, 5120000.0 / 55);
    EXPECT_EQ(m.LabelRows().size(), 5u);
    EXPECT_EQ(m.LabelRows().front(), 70);
    EXPECT_EQ(m.LabelRows().back(), 15);
}

TEST(LineChartModel, NoLinesWhileInactiveThenOnePolylinePerLine) {
    LineChartModel m;
    SetUpForFilm(m, 100, {0, 0, 460, 100});  // plot 400 x 50
    m.SetPosition(100);
    EXPECT_TRUE(m.Polylines().empty());
    m.StartAt(100);
    const auto paths = m.Polylines();
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0].colour, Rgb(255, 0, 0));
    EXPECT_EQ(paths[2].colour, Rgb(0, 0, 255));
    EXPECT_EQ(paths[0].penWidth, 2);
    ASSERT_EQ(paths[1].points.size(), 100u);
    EXPECT_EQ(paths[0].points.front(), (IntPoint{455, 40}));  // 0 g halfway up the plot
    EXPECT_EQ(paths[1].points.back(), (IntPoint{55, 27}));    // +1 g: 65 - 37.5
    EXPECT_EQ(paths[2].points.back().y, 52);                  // -1 g: 65 - 12.5
    m.Halt();
    EXPECT_TRUE(m.Polylines().empty());
}

// A marked sample is marked where line 0 draws it, once it has been replayed.
TEST(LineChartModel, MarksFollowTheirSamplesAcrossThePlot) {
    LineChartModel m;
    SetUpForFilm(m, 101, {0, 0, 460, 100});  // plot 400 wide: 4 pixels a sample
    m.SetMarks({0, 50, 100});
    EXPECT_TRUE(m.MarkColumns().empty());  // inactive
    const struct {
        int position;
        std::vector<int> columns;
    } cases[] = {
        {1, {55}},              // sample 0 alone, on the left edge
        {51, {255, 55}},        // 0 has moved 200 pixels right, 50 is newest
        {101, {455, 255, 55}},  // all shown
    };
    for (const auto& c : cases) {
        m.StartAt(c.position);
        EXPECT_EQ(m.MarkColumns(), c.columns) << c.position;
    }
}

TEST(LineChartModel, HiddenLinesAreSkippedAndEmptyLinesEndTheDrawing) {
    LineChartModel m;
    SetUpForFilm(m, 10, {0, 0, 460, 100});
    m.StartAt(10);
    m.Line(0).shown = 0;
    auto paths = m.Polylines();
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0].colour, Rgb(0, 255, 0));

    // A shown line with no points stops every later line, even ones with points.
    m.Line(0).shown = 1;
    m.RemoveAllLines();
    m.AddLine(Rgb(255, 0, 0)).AddPoint(0, 1);
    m.AddLine(Rgb(0, 255, 0));
    m.AddLine(Rgb(0, 0, 255)).AddPoint(0, 1);
    paths = m.Polylines();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].colour, Rgb(255, 0, 0));
}

TEST(LineChartModel, TimerStepsToTheEndOfLineZeroAndStops) {
    LineChartModel m;
    SetUpForFilm(m, 3, {0, 0, 460, 100});
    EXPECT_TRUE(m.StartAt(1));
    EXPECT_TRUE(m.Tick());
    EXPECT_TRUE(m.Tick());
    EXPECT_EQ(m.Position(), 3);
    EXPECT_FALSE(m.Tick());
    EXPECT_EQ(m.Position(), 3);
    // Line 0 decides, whatever the others hold.
    m.Line(1).AddPoint(3, 0);
    EXPECT_FALSE(m.Tick());
    m.Line(0).AddPoint(3, 0);
    EXPECT_TRUE(m.Tick());
    EXPECT_EQ(m.Position(), 4);

    m.SetPeriod(0);
    EXPECT_FALSE(m.StartAt(0));
}

TEST(LineChartModel, StartBeyondTheLastSampleStopsAndDrawsOnlyWhatTheLinesHold) {
    LineChartModel m;
    SetUpForFilm(m, 5, {0, 0, 460, 100});
    m.StartAt(40);
    EXPECT_FALSE(m.Tick());
    EXPECT_EQ(m.Position(), 40);
    for (const auto& path : m.Polylines()) EXPECT_EQ(path.points.size(), 5u);
}

TEST(LineChartModel, NarrowChartDrawsNoLinesButStillSteps) {
    LineChartModel m;
    SetUpForFilm(m, 500, {0, 0, 60, 100});  // plot width 0
    m.StartAt(10);
    for (const auto& path : m.Polylines()) EXPECT_TRUE(path.points.empty());
    EXPECT_TRUE(m.Tick());
    EXPECT_EQ(m.Position(), 11);
    m.RecalcLayout({0, 0, 40, 100});  // negative width
    for (const auto& path : m.Polylines()) EXPECT_TRUE(path.points.empty());
}

TEST(LineChartModel, WithoutLinesTheTimerNeitherStepsNorStops) {
    LineChartModel m;
    m.StartAt(2);
    EXPECT_TRUE(m.Tick());
    EXPECT_EQ(m.Position(), 2);
}

}  // namespace
}  // namespace tesmira
