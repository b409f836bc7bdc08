#include "widgets/overlay_label.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

namespace tesmira {
namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "overlay_label_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's global input devices must not outlive it at exit.
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

class CxStaticTest : public ::testing::Test {
protected:
    void SetUp() override { app(); }

    // Speed label as the film pane sets it up.
    static void setUpAsSpeedLabel(OverlayLabel& label) {
        label.resize(100, 25);
        label.setLabelFont("Arial", 16, 700);
        label.setTextColor(ColorFromColorRef(0x0F0D0D));
        label.setBackgroundColor(Qt::white);
        label.setCenterImage(true);
    }

    // Bounding box of the pixels near the (almost black) text colour.
    static QRect inkBox(const QImage& image) {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (QColor(image.pixel(x, y)).value() < 100) box |= QRect(x, y, 1, 1);
        return box;
    }

    static bool drop(OverlayLabel& label, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&label, &enter);
        QDropEvent dropEvent(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&label, &dropEvent);
        return enter.isAccepted() && dropEvent.isAccepted();
    }

    static QString writeBmp(const QTemporaryDir& dir, const QString& name, QColor color) {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(color);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }
};

TEST_F(CxStaticTest, ColourWordsAreBlueGreenRed) {
    EXPECT_EQ(ColorFromColorRef(0x0F0D0D), QColor(0x0D, 0x0D, 0x0F));
    EXPECT_EQ(ColorFromColorRef(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ColorFromColorRef(0xFF0000), QColor(0, 0, 255));
}

TEST_F(CxStaticTest, SpeedTextIsOneLineCentredBothWays) {
    OverlayLabel label("000");
    setUpAsSpeedLabel(label);
    EXPECT_LE(QFontMetrics(label.font()).height(), 17);
    EXPECT_GE(QFontMetrics(label.font()).height(), 14);
    EXPECT_EQ(label.font().weight(), QFont::Bold);
    label.setText("100KM");
    ASSERT_EQ(label.lines().size(), 1u);
    EXPECT_EQ(label.lines().front(), "100KM");
    const int lineHeight = QFontMetrics(label.font()).height();
    EXPECT_EQ(label.firstLineTop(), (25 - lineHeight) / 2);

    const QRect ink = inkBox(label.grab().toImage());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 50, 3);
    EXPECT_NEAR(ink.center().y(), 12, 4);

    label.setCenterImage(false);
    EXPECT_EQ(label.firstLineTop(), 0);
    EXPECT_LT(inkBox(label.grab().toImage()).top(), ink.top());
}

TEST_F(CxStaticTest, LongTextIsBrokenToTheLabelWidth) {
    OverlayLabel label;
    setUpAsSpeedLabel(label);
    label.resize(40, 100);
    label.setText("ABCDEFGHIJKLMNOP");
    const auto lines = label.lines();
    ASSERT_GT(lines.size(), 2u);
    QString joined;
    const QFontMetrics metrics(label.font());
    for (const QString& line : lines) {
        EXPECT_LE(metrics.horizontalAdvance(line), 40) << line.toStdString();
        joined += line;
    }
    EXPECT_EQ(joined, "ABCDEFGHIJKLMNOP");

    label.setWrap(false);
    EXPECT_EQ(label.lines().size(), 1u);
}

TEST_F(CxStaticTest, OnlyASingleDroppedBitmapBecomesTheBackground) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString red = writeBmp(dir, "RED.BMP", Qt::red);
    const QString blue = writeBmp(dir, "blue.bmp", Qt::blue);
    const QString notBmp = writeBmp(dir, "green.png.txt", Qt::green);
    QFile fake(dir.filePath("broken.bmp"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("not a picture");
    fake.close();

    OverlayLabel label("000");
    setUpAsSpeedLabel(label);

    // Every file drag is taken by the label, so it never reaches the pane behind.
    EXPECT_TRUE(drop(label, {QUrl::fromLocalFile(red), QUrl::fromLocalFile(blue)}));
    EXPECT_FALSE(label.hasBitmap());
    EXPECT_TRUE(drop(label, {QUrl::fromLocalFile(notBmp)}));
    EXPECT_FALSE(label.hasBitmap());
    EXPECT_TRUE(drop(label, {QUrl::fromLocalFile(dir.filePath("broken.bmp"))}));
    EXPECT_FALSE(label.hasBitmap());
    EXPECT_EQ(label.grab().toImage().pixelColor(50, 2), QColor(Qt::white));

    EXPECT_TRUE(drop(label, {QUrl::fromLocalFile(red)}));
    ASSERT_TRUE(label.hasBitmap());
    const QImage shown = label.grab().toImage();
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(97, 22), QColor(Qt::red));
    // The text is still drawn on top of the picture.
    EXPECT_FALSE(inkBox(shown).isEmpty());

    // A later single bitmap replaces the first.
    EXPECT_TRUE(drop(label, {QUrl::fromLocalFile(blue)}));
    EXPECT_EQ(label.grab().toImage().pixelColor(2, 2), QColor(Qt::blue));
}

}  // namespace
}  // namespace tesmira
