#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <memory>

#include "instruments/compass_dial.h"
#include "instruments/needle_frame.h"
#include "instruments/speed_dial.h"
#include "widget_test_app.h"

namespace tesmira {
namespace {

using test::App;
using test::RedUnitTextPixels;

constexpr double kCentre = 75.5;

QImage Render(QWidget& w) {
    App();
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The pixel at `radius` from the dial centre along a bearing (degrees clockwise from up).
QColor At(const QImage& image, double radius, double bearing) {
    const double a = bearing * M_PI / 180.0;
    const qreal dpr = image.devicePixelRatio();
    const int x = static_cast<int>(std::floor((kCentre + radius * std::sin(a)) * dpr));
    const int y = static_cast<int>(std::floor((kCentre - radius * std::cos(a)) * dpr));
    return image.pixelColor(x, y);
}

bool IsNeedleRed(const QColor& c) {
    return c.red() > 170 && c.green() < 90 && c.blue() < 90;
}
bool IsNeedleGrey(const QColor& c) {
    return c.red() > 130 && c.red() < 200 && std::abs(c.red() - c.blue()) < 20 && c.green() > 130;
}

// The bearing of the centroid of a frame's red pixels, seen from the dial centre.
double RedBearing(const NeedleFrame& f, qreal dpr) {
    double sx = 0, sy = 0;
    int count = 0;
    for (int y = 0; y < f.image.height(); ++y) {
        for (int x = 0; x < f.image.width(); ++x) {
            const QColor c = f.image.pixelColor(x, y);
            if (c.alpha() == 255 && IsNeedleRed(c)) {
                sx += (x + f.offset.x() + 0.5) / dpr - kCentre;
                sy += (y + f.offset.y() + 0.5) / dpr - kCentre;
                ++count;
            }
        }
    }
    if (count == 0) return -1000;
    double b = std::atan2(sx, -sy) * 180.0 / M_PI;
    return b < 0 ? b + 360 : b;
}

double AngleGap(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return std::min(d, 360.0 - d);
}

TEST(DialArtwork, EveryFrameTurnsTheNeedleOneDegreeClockwise) {
    App();
    for (qreal dpr : {1.0, 2.0}) {
        const DialArtwork speed = DialArtwork::Speedometer(dpr);
        const DialArtwork compass = DialArtwork::Compass(dpr);
        EXPECT_EQ(speed.Face().width(), static_cast<int>(151 * dpr));
        for (int k = 0; k < 360; ++k) {
            // Speedometer: the 0 mark sits at bearing 250, 220 km/h at bearing 110.
            EXPECT_LT(AngleGap(RedBearing(speed.Frame(k), dpr), 250 + k), 2.5) << k << " " << dpr;
            // Compass: the red end at bearing k + 180.
            EXPECT_LT(AngleGap(RedBearing(compass.Frame(k), dpr), k + 180), 2.5) << k << " " << dpr;
        }
    }
}

// Frame k drawn alone on a black dial-sized canvas.
QImage Alone(const DialArtwork& art, int k) {
    const qreal dpr = art.DevicePixelRatio();
    QImage canvas(art.Face().size(), QImage::Format_RGB32);
    canvas.setDevicePixelRatio(dpr);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    art.DrawFrame(p, k);
    return canvas;
}

TEST(DialArtwork, QuarterTurnedFramesMatchPixelForPixel) {
    App();
    for (qreal dpr : {1.0, 2.0}) {
        const DialArtwork speed = DialArtwork::Speedometer(dpr);
        for (int k : {0, 17, 89, 90, 200}) {
            const QImage a = Alone(speed, k);
            const QImage b = Alone(speed, k + 90);
            const int n = a.width();
            int mismatches = 0;
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x)  // (x, y) turns clockwise to (n - 1 - y, x)
                    mismatches += a.pixel(x, y) != b.pixel(n - 1 - y, x);
            EXPECT_EQ(mismatches, 0) << k << " " << dpr;
        }
    }
}

TEST(DialArtwork, FramesAreTransparentWhereWhite) {
    App();
    const DialArtwork compass = DialArtwork::Compass(1.0);
    const NeedleFrame& f = compass.Frame(37);
    ASSERT_FALSE(f.image.isNull());
    int clear = 0, solid = 0;
    for (int y = 0; y < f.image.height(); ++y) {
        for (int x = 0; x < f.image.width(); ++x) {
            const QRgb p = f.image.pixel(x, y);
            if (qAlpha(p) == 0) {
                ++clear;
            } else {
                EXPECT_EQ(qAlpha(p), 255);  // partly covered pixels are copied at full strength
                EXPECT_NE(p | 0xFF000000u, 0xFFFFFFFFu);
                ++solid;
            }
        }
    }
    EXPECT_GT(clear, 0);
    EXPECT_GT(solid, 200);
    // Drawn over black, the clear part leaves black, the needle shows.
    QImage canvas(151, 151, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter p(&canvas);
        compass.DrawFrame(p, 0);
    }
    EXPECT_EQ(canvas.pixelColor(10, 10), QColor(Qt::black));
    EXPECT_TRUE(IsNeedleRed(At(canvas, 35, 180)));
    EXPECT_TRUE(IsNeedleGrey(At(canvas, 35, 0)));
}

struct SpeedFixture : ::testing::Test {
    std::string unit = "KMH";
    std::unique_ptr<SpeedDial> speed;
    void SetUp() override {
        App();
        speed = std::make_unique<SpeedDial>(nullptr, [this] { return unit; });
    }
};

TEST_F(SpeedFixture, NeedleFollowsTheSampleAndTheUnit) {
    EXPECT_EQ(speed->CurrentFrame(), kNoNeedle);  // inactive: dial only
    QImage img = Render(*speed);
    EXPECT_FALSE(IsNeedleRed(At(img, 30, 250)));

    speed->StartAt(0);
    EXPECT_EQ(speed->CurrentFrame(), 0);  // no values: rest on 0
    img = Render(*speed);
    EXPECT_TRUE(IsNeedleRed(At(img, 30, 250)));

    speed->AddValue(12.0);
    speed->AddValue(57.9);
    speed->StartAt(2);
    EXPECT_EQ(speed->CurrentFrame(), 57);
    img = Render(*speed);
    EXPECT_TRUE(IsNeedleRed(At(img, 30, 250 + 57)));
    EXPECT_FALSE(IsNeedleRed(At(img, 30, 250)));

    unit = "MPH";  // read again at the next paint
    EXPECT_EQ(speed->CurrentFrame(), 35);
    img = Render(*speed);
    EXPECT_TRUE(IsNeedleRed(At(img, 30, 250 + 35)));
    EXPECT_FALSE(IsNeedleRed(At(img, 30, 250 + 57)));

    speed->StartAt(3);  // beyond the values: no needle
    EXPECT_EQ(speed->CurrentFrame(), kNoNeedle);
    img = Render(*speed);
    EXPECT_FALSE(IsNeedleRed(At(img, 30, 250 + 35)));
    EXPECT_FALSE(IsNeedleRed(At(img, 30, 250)));
}

TEST_F(SpeedFixture, UnitTextAppearsOnlyForTheTwoUnits) {
    EXPECT_EQ(speed->UnitText(), QStringLiteral("km/h"));
    const int kmh = RedUnitTextPixels(Render(*speed));
    EXPECT_GT(kmh, 10);  // written even while inactive
    unit = "MPH";
    EXPECT_EQ(speed->UnitText(), QStringLiteral("M/h"));
    EXPECT_GT(RedUnitTextPixels(Render(*speed)), 10);
    unit = "mph";
    EXPECT_EQ(speed->UnitText(), QString());
    EXPECT_EQ(RedUnitTextPixels(Render(*speed)), 0);
    speed->AddValue(57.9);
    speed->StartAt(1);
    EXPECT_EQ(speed->CurrentFrame(), 57);  // scaled as km/h
    unit = "KMH";
    EXPECT_GT(RedUnitTextPixels(Render(*speed)), 10);
}

TEST_F(SpeedFixture, TimerStepsStopsAtTheEndAndObeysPauseAndHalt) {
    for (double v : {10.0, 20.0, 30.0}) speed->AddValue(v);
    speed->StartAt(0);
    EXPECT_FALSE(speed->TimerRunning());  // no period yet
    EXPECT_TRUE(speed->Active());

    speed->SetPeriod(1000);
    speed->StartAt(1);
    EXPECT_TRUE(speed->TimerRunning());
    speed->TimerTick();
    EXPECT_EQ(speed->Position(), 2);
    EXPECT_EQ(speed->CurrentFrame(), 20);

    speed->Pause();
    EXPECT_FALSE(speed->TimerRunning());
    EXPECT_TRUE(speed->Active());
    EXPECT_EQ(speed->CurrentFrame(), 20);  // frozen where it was

    speed->StartAt(2);
    speed->TimerTick();
    EXPECT_EQ(speed->Position(), 3);
    EXPECT_TRUE(speed->TimerRunning());
    speed->TimerTick();  // at the end: stops itself, stays on the last sample
    EXPECT_FALSE(speed->TimerRunning());
    EXPECT_EQ(speed->Position(), 3);
    EXPECT_EQ(speed->CurrentFrame(), 30);

    speed->StartAt(0);
    speed->Halt();
    EXPECT_FALSE(speed->TimerRunning());
    EXPECT_FALSE(speed->Active());
    EXPECT_EQ(speed->CurrentFrame(), kNoNeedle);
    EXPECT_EQ(speed->ValueCount(), 3u);

    speed->StartAt(1);
    speed->ClearValues();
    EXPECT_FALSE(speed->TimerRunning());
    EXPECT_FALSE(speed->Active());
    EXPECT_EQ(speed->ValueCount(), 0u);
    // Without values clearing does nothing at all, not even stopping the timer.
    speed->StartAt(0);
    speed->ClearValues();
    EXPECT_TRUE(speed->TimerRunning());
    EXPECT_TRUE(speed->Active());
    speed->Halt();
}

TEST(CompassDial, RedEndPointsAlongTheCourse) {
    App();
    CompassDial compass;
    compass.AddValue(0.0);
    compass.AddValue(90.0);
    compass.AddValue(180.0);
    compass.AddValue(359.9);

    QImage img = Render(compass);
    EXPECT_FALSE(IsNeedleRed(At(img, 35, 180)));  // inactive: only the rose

    compass.StartAt(1);
    EXPECT_EQ(compass.CurrentFrame(), 180);
    img = Render(compass);
    EXPECT_TRUE(IsNeedleRed(At(img, 35, 0)));
    EXPECT_TRUE(IsNeedleGrey(At(img, 35, 180)));

    compass.StartAt(2);
    EXPECT_EQ(compass.CurrentFrame(), 270);
    img = Render(compass);
    EXPECT_TRUE(IsNeedleRed(At(img, 35, 90)));
    EXPECT_TRUE(IsNeedleGrey(At(img, 35, 270)));

    compass.StartAt(3);  // no fix: frame 0, the same as position 0
    EXPECT_EQ(compass.CurrentFrame(), 0);
    const QImage noFix = Render(compass);
    EXPECT_TRUE(IsNeedleRed(At(noFix, 35, 180)));
    compass.StartAt(0);
    EXPECT_EQ(Render(compass), noFix);

    compass.StartAt(4);
    EXPECT_EQ(compass.CurrentFrame(), 179);

    compass.StartAt(5);  // beyond the values: the rose without a needle
    img = Render(compass);
    compass.Halt();
    const QImage rose = Render(compass);
    EXPECT_EQ(img, rose);
    EXPECT_FALSE(IsNeedleRed(At(rose, 35, 180)));
    EXPECT_FALSE(IsNeedleGrey(At(rose, 35, 0)));
}

TEST(CompassDial, TimerStopsOnTheLastSample) {
    App();
    CompassDial compass;
    compass.AddValue(10.0);
    compass.SetPeriod(250);
    compass.StartAt(0);
    EXPECT_TRUE(compass.TimerRunning());
    compass.TimerTick();
    EXPECT_EQ(compass.Position(), 1);
    EXPECT_TRUE(compass.TimerRunning());
    compass.TimerTick();
    EXPECT_EQ(compass.Position(), 1);
    EXPECT_FALSE(compass.TimerRunning());
    EXPECT_EQ(compass.CurrentFrame(), 190);
}

TEST(CompassDial, FilmLoadRewindsToTheFirstSampleWithoutStarting) {
    App();
    CompassDial compass;
    for (double v : {10.0, 20.0, 30.0}) compass.AddValue(v);
    compass.SetPeriod(250);
    compass.StartAt(3);
    // The next film: values cleared, period 1000, position 0, one value per sample.
    compass.ClearValues();
    compass.SetPeriod(1000);
    compass.SetPosition(0);
    compass.AddValue(90.0);
    EXPECT_EQ(compass.Position(), 0);
    EXPECT_FALSE(compass.Active());
    EXPECT_FALSE(compass.TimerRunning());
    EXPECT_EQ(compass.CurrentFrame(), kNoNeedle);
    // Setting the position while running keeps the timer and the needle on.
    compass.StartAt(1);
    compass.SetPosition(0);
    EXPECT_TRUE(compass.TimerRunning());
    EXPECT_EQ(compass.CurrentFrame(), 0);
    compass.TimerTick();
    EXPECT_EQ(compass.CurrentFrame(), 270);
    compass.Halt();
}

}  // namespace
}  // namespace tesmira
