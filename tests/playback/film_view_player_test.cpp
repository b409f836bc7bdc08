// The film pane over the real engine and real films with embedded records.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cstring>
#include <memory>

#include "app/app_paths.h"
#include "app/settings.h"
#include "extract/film_samples.h"
#include "film_fixtures.h"
#include "playback/film_view.h"
#include "playback/standalone_host.h"
#include "playback/video_widget.h"
#include "support/test_films.h"
#include "widgets/overlay_label.h"

namespace tesmira {
namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "film_view_player_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's global input devices must not outlive it at exit.
    static QApplication* instance = new QApplication(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return *instance;
}

class QuietFilmView : public FilmView {
public:
    using FilmView::FilmView;
    QStringList messages;

protected:
    void ShowMessage(const QString& text) override { messages << text; }
};

class FilmViewPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        ASSERT_TRUE(dataDir.isValid());
        SetDataFolder(dataDir.path().toStdString());
        testfilms::TestFilmOptions options;
        options.durationSeconds = 3.0;
        filmA = QString::fromStdString(testfilms::MakeTestFilm(options).string());
        options.placement = testfilms::RecordPlacement::Type60;
        options.durationSeconds = 2.0;
        filmB = QString::fromStdString(testfilms::MakeTestFilm(options).string());

        FilmView::Environment environment = FilmView::DefaultEnvironment();
        environment.localTime = [] {
            std::tm time{};
            time.tm_year = 2026 - 1900;
            time.tm_mon = 11;
            time.tm_mday = 8;
            time.tm_hour = 1;
            time.tm_min = 2;
            time.tm_sec = 3;
            return time;
        };
        windowOwner = std::make_unique<QWidget>();
        QWidget& window = *windowOwner;
        window.setWindowTitle("Tesmira");
        view = new QuietFilmView(host, nullptr, &window, environment);
        view->setPlayText("play");
        view->setPauseText("pause");
        host.setView(view);
        window.resize(640, 480);
        window.show();
        view->resize(640, 480);
    }

    QString control(int id) {
        QWidget* widget = view->control(id);
        if (auto* label = qobject_cast<OverlayLabel*>(widget)) return label->text();
        if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
        if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
        return {};
    }

    QTemporaryDir dataDir;
    QString filmA;
    QString filmB;
    StandaloneHost host;
    std::unique_ptr<QWidget> windowOwner;
    QuietFilmView* view = nullptr;
};

TEST_F(FilmViewPlayerTest, PlaysAFilmWithItsRecords) {
    ASSERT_EQ(host.AddFileToList(filmA), 1);
    EXPECT_EQ(host.AddFileToList("/tmp/notes.txt"), 0);
    EXPECT_EQ(host.AddFileToList("/tmp/clip.Mp4"), 0);
    host.PlayFile(filmA);
    ASSERT_TRUE(view->messages.isEmpty()) << view->messages.join(",").toStdString();

    EXPECT_EQ(windowOwner->windowTitle(), "Tesmira | " + filmA);
    EXPECT_EQ(view->GetResolutionText(), "160 x 90");
    EXPECT_EQ(view->GetDurationText(), "00:00:03");
    EXPECT_EQ(view->GetDurationSeconds(), 3);
    EXPECT_TRUE(view->engine().IsRunning());
    EXPECT_TRUE(view->refreshTimerActive());
    EXPECT_EQ(control(FilmView::kPlayPauseId), "pause");

    // The labels show record 0, derived from the film itself.
    const FilmSamples samples = LoadFilmSamples(filmA.toStdString(), [](const std::string&) {});
    ASSERT_EQ(host.SyncRecords().size(), samples.samples.size());
    ASSERT_GE(host.SyncRecords().size(), 3u);
    const VIDEO_SYNC_OUTPUT_T& first = host.SyncRecords().front();
    view->UpdateOverlay(0.2);
    EXPECT_EQ(control(FilmView::kPositionLabelId), QString::fromLatin1(first.positionText));
    EXPECT_EQ(control(FilmView::kSpeedLabelId),
              QString("%1KM").arg(static_cast<int>(first.speedKmh)));
    ASSERT_TRUE(WriteUnit("MPH"));
    view->UpdateOverlay(0.2);
    EXPECT_EQ(control(FilmView::kSpeedLabelId),
              QString("%1M").arg(static_cast<int>(first.speedKmh * 0.6213712)));
    EXPECT_EQ(control(FilmView::kTimeTextId), "00:00:00/00:00:03");

    view->PlayPause();
    EXPECT_EQ(view->engine().GetState(), FilmEngine::Paused);
    EXPECT_FALSE(view->refreshTimerActive());
}

TEST_F(FilmViewPlayerTest, ScreenshotsOfOneSecondAreAllKept) {
    host.PlayFile(filmA);
    view->PlayPause();
    const QString path = dataDir.path() + "/screenshot/20261208010203.bmp";
    // A picture of that second taken before is kept as it is.
    ASSERT_TRUE(QDir().mkpath(dataDir.path() + "/screenshot"));
    QFile stale(path);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(200000, 'x'));
    stale.close();

    // The first frame may still be on its way right after the film opened.
    const QString second = dataDir.path() + "/screenshot/20261208010203-2.bmp";
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(second) && waited.elapsed() < 15000) {
        view->messages.clear();
        view->SaveScreenshot();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ASSERT_TRUE(QFileInfo::exists(second)) << "no frame could be saved";
    view->SaveScreenshot();
    EXPECT_TRUE(view->messages.isEmpty());
    QStringList files = QDir(dataDir.path() + "/screenshot").entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files,
              (QStringList{"20261208010203-2.bmp", "20261208010203-3.bmp", "20261208010203.bmp"}));
    EXPECT_EQ(QFileInfo(path).size(), 200000);
    QFile shot(second);
    ASSERT_TRUE(shot.open(QIODevice::ReadOnly));
    const QByteArray bytes = shot.readAll();
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), "BM");
    quint32 declaredSize = 0;
    std::memcpy(&declaredSize, bytes.constData() + 2, 4);
    EXPECT_EQ(declaredSize, static_cast<quint32>(bytes.size()));
    EXPECT_LT(bytes.size(), 200000);
}

TEST_F(FilmViewPlayerTest, ReleaseAtTheEndMovesToTheNextFilm) {
    host.AddFileToList(filmA);
    host.AddFileToList(filmB);
    host.PlayFile(filmA);
    auto* progress = qobject_cast<QSlider*>(view->control(FilmView::kProgressId));
    ASSERT_NE(progress, nullptr);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(progress, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(progress, &release);

    EXPECT_EQ(host.CurrentFilm(), filmB);
    EXPECT_EQ(windowOwner->windowTitle(), "Tesmira | " + filmB);
    EXPECT_EQ(view->GetDurationSeconds(), 2);
    EXPECT_EQ(progress->value(), 0);
    EXPECT_TRUE(view->engine().IsRunning());
    // Type-60 records are found as well.
    EXPECT_GE(host.SyncRecords().size(), 2u);

    // No film after the last one: the pane stays stopped at the end.
    QApplication::sendEvent(progress, &press);
    QApplication::sendEvent(progress, &release);
    EXPECT_EQ(host.CurrentFilm(), filmB);
    EXPECT_EQ(progress->value(), 0);  // rewound with the picture
    EXPECT_FALSE(view->engine().IsRunning());
    EXPECT_EQ(control(FilmView::kPlayPauseId), "play");

    // Back to the first with the previous button.
    qobject_cast<QPushButton*>(view->control(FilmView::kPreviousId))->click();
    EXPECT_EQ(host.CurrentFilm(), filmA);
}

TEST_F(FilmViewPlayerTest, DoubleClicksOnThePictureEnterAndLeaveFullScreen) {
    host.PlayFile(filmA);
    QWidget* area = view->control(FilmView::kVideoAreaId);
    ASSERT_NE(area, nullptr);
    auto* picture = area->findChild<VideoWidget*>();
    ASSERT_NE(picture, nullptr);
    const auto doubleClick = [](QWidget* target) {
        const QPointF at(target->width() / 2, target->height() / 2);
        QMouseEvent event(QEvent::MouseButtonDblClick, at, target->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };

    doubleClick(picture);
    ASSERT_TRUE(view->engine().IsFullScreen());
    EXPECT_TRUE(picture->isWindow());

    // The full-screen picture is a window of its own; its double-click still
    // brings it back into the pane.
    doubleClick(picture);
    EXPECT_FALSE(view->engine().IsFullScreen());
    EXPECT_EQ(picture->parentWidget(), area);
    EXPECT_EQ(picture->geometry(), area->rect());
}

TEST_F(FilmViewPlayerTest, FullScreenIsLeftByARealDoubleClickAndByClosingItsWindow) {
    host.PlayFile(filmA);
    QWidget* area = view->control(FilmView::kVideoAreaId);
    auto* picture = area->findChild<VideoWidget*>();
    ASSERT_NE(picture, nullptr);
    view->HandleKey(Qt::Key_F);
    ASSERT_TRUE(view->engine().IsFullScreen());
    ASSERT_TRUE(picture->isWindow());
    EXPECT_EQ(picture->windowTitle(), "Tesmira");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picture));

    // Presses and releases as the window system delivers them: Qt itself makes the
    // double-click out of two presses close in time.
    const QPoint centre = picture->rect().center();
    QTest::mouseClick(picture->windowHandle(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(picture->windowHandle(), Qt::LeftButton, {}, centre);
    EXPECT_FALSE(view->engine().IsFullScreen());
    EXPECT_EQ(picture->parentWidget(), area);

    // The window manager's close of the full-screen window returns the picture too.
    view->HandleKey(Qt::Key_F);
    ASSERT_TRUE(view->engine().IsFullScreen());
    picture->close();
    EXPECT_FALSE(view->engine().IsFullScreen());
    EXPECT_EQ(picture->parentWidget(), area);
    EXPECT_TRUE(picture->isVisible());
    EXPECT_EQ(picture->geometry(), area->rect());
}

TEST_F(FilmViewPlayerTest, KeySeeksLandOnTheExactFrame) {
    // One key frame at the start: a key-frame seek could only go back to 0.
    testfilms::TestFilmOptions options;
    options.durationSeconds = 8.0;
    const QString film = QString::fromStdString(testfilms::MakeTestFilm(options).string());
    host.PlayFile(film);
    auto* picture = view->control(FilmView::kVideoAreaId)->findChild<VideoWidget*>();
    ASSERT_NE(picture, nullptr);
    view->PlayPause();
    ASSERT_EQ(view->engine().GetState(), FilmEngine::Paused);
    view->engine().SetPosition(0.0);
    test::pumpFor(300);

    const auto settledPosition = [&] {
        const std::uint64_t before = picture->framesRendered();
        test::pumpUntil([&] { return picture->framesRendered() > before; }, 5000);
        test::pumpFor(300);
        return view->engine().GetPosition().value_or(-1.0);
    };
    view->HandleKey(Qt::Key_Right);
    EXPECT_NEAR(settledPosition(), 5.0, 0.11);
    EXPECT_EQ(control(FilmView::kTimeTextId), "00:00:05/00:00:08");
    view->HandleKey(Qt::Key_Left);
    EXPECT_NEAR(settledPosition(), 0.0, 0.11);
    // A frame step forward while paused.
    view->HandleKey(Qt::Key_Right);
    settledPosition();
    view->HandleKey(Qt::Key_Period);
    EXPECT_NEAR(settledPosition(), 5.1, 0.05);
}

TEST_F(FilmViewPlayerTest, AFileThatIsNoFilmGivesRenderError) {
    const QString fake = dataDir.path() + "/fake.mp4";
    QFile file(fake);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a film");
    file.close();
    host.PlayFile(fake);
    EXPECT_EQ(view->messages, QStringList{"Render Error"});
    EXPECT_EQ(windowOwner->windowTitle(), "Tesmira");
    EXPECT_TRUE(host.SyncRecords().empty());
}

}  // namespace
}  // namespace tesmira
