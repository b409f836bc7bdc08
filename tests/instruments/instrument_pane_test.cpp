#include "instruments/instrument_pane.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>

#include "app/app_paths.h"
#include "app/settings.h"
#include "instruments/needle_frame.h"
#include "widget_test_app.h"

namespace tesmira {
namespace {

using test::App;

TEST(InstrumentPane, PlacesChartAndDialsOnResize) {
    App();
    InstrumentPane view(nullptr, [] { return std::string("KMH"); });
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

TEST(InstrumentPane, WhiteBetweenTheInstrumentsAndUnitFollowsTheSetting) {
    App();
    std::string unit = "KMH";
    InstrumentPane view(nullptr, [&] { return unit; });
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

int RedUnitPixels(SpeedDial& speed) {
    return test::RedUnitTextPixels(speed.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

TEST(InstrumentPane, SpeedometerReadsTheUnitFromTheSettingsFileAtEachPaint) {
    App();
    char name[] = "/tmp/tesmira_instruments_XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    SetDataFolder(name);
    InstrumentPane view;
    view.resize(900, 171);
    SpeedDial& speed = view.Speedometer();
    speed.AddValue(57.9);
    speed.StartAt(1);
    // No settings file yet: it is made with the default unit.
    EXPECT_EQ(speed.UnitText(), QStringLiteral("km/h"));
    EXPECT_TRUE(std::filesystem::exists(std::string(name) + "/setting.ini"));
    EXPECT_GT(RedUnitPixels(speed), 10);
    EXPECT_EQ(speed.CurrentFrame(), 57);

    ASSERT_TRUE(WriteUnit("MPH"));
    EXPECT_EQ(speed.UnitText(), QStringLiteral("M/h"));
    EXPECT_EQ(speed.CurrentFrame(), 35);
    EXPECT_GT(RedUnitPixels(speed), 10);

    ASSERT_TRUE(WriteUnit("mph"));
    EXPECT_EQ(speed.UnitText(), QString());
    EXPECT_EQ(RedUnitPixels(speed), 0);
    EXPECT_EQ(speed.CurrentFrame(), 57);

    SetDataFolder("");
    std::filesystem::remove_all(name);
}

}  // namespace
}  // namespace tesmira
