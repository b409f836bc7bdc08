#include "instruments/gsensor_view.h"

#include <gtest/gtest.h>

#include <QImage>

#include "instruments/needle_frame.h"
#include "widget_test_app.h"

namespace tesmira {
namespace {

using test::App;

TEST(GsensorView, PlacesChartAndDialsOnResize) {
    App();
    CGsensorView view(nullptr, [] { return std::string("KMH"); });
    view.resize(900, 171);
    view.grab();
    EXPECT_EQ(view.Chart().geometry(), QRect(0, 0, 442, 171));
    EXPECT_EQ(view.Speedometer().geometry(), QRect(598, 10, 151, 151));
    EXPECT_EQ(view.Compass().geometry(), QRect(749, 10, 151, 151));
    EXPECT_EQ(view.Chart().property("controlId").toInt(), 1004);
    EXPECT_EQ(view.Speedometer().property("controlId").toInt(), 1005);
    EXPECT_EQ(view.Compass().property("controlId").toInt(), 1006);

    view.resize(700, 120);
    view.grab();
    EXPECT_EQ(view.Chart().geometry(), QRect(0, 0, 242, 120));
    EXPECT_EQ(view.Speedometer().geometry(), QRect(398, -15, 151, 151));
}

TEST(GsensorView, WhiteBetweenTheInstrumentsAndUnitFollowsTheSetting) {
    App();
    std::string unit = "KMH";
    CGsensorView view(nullptr, [&] { return unit; });
    view.resize(900, 171);
    QImage img = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(img.pixelColor(520, 80), QColor(Qt::white));  // between chart and speedometer
    EXPECT_EQ(img.pixelColor(650, 2), QColor(Qt::white));   // above the dials
    EXPECT_EQ(view.Speedometer().UnitText(), QStringLiteral("km/h"));
    unit = "MPH";
    view.Speedometer().AddValue(100.0);
    view.Speedometer().StartAt(1);
    EXPECT_EQ(view.Speedometer().CurrentFrame(), 62);
    EXPECT_EQ(view.Speedometer().UnitText(), QStringLiteral("M/h"));
    unit = "Knots";
    EXPECT_EQ(view.Speedometer().UnitText(), QString());
    EXPECT_EQ(view.Speedometer().CurrentFrame(), 100);
    EXPECT_EQ(view.Compass().CurrentFrame(), kNoNeedle);
}

}  // namespace
}  // namespace tesmira
