#include "playback/film_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <cstring>
#include <functional>
#include <memory>

#include "playback/fake_film.h"
#include "widgets/overlay_label.h"
#include "widgets/video_area.h"

namespace tesmira {
namespace {

using testing::FakeEngine;
using testing::FakeHost;

}  // namespace
}  // namespace tesmira

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}

namespace tesmira {
namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "film_view_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's global input devices must not outlive it at exit.
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

class RecordingFilmView : public FilmView {
public:
    using FilmView::FilmView;
    QStringList messages;
    bool realBoxes = false;  // show the pane's own message box

protected:
    void ShowMessage(const QString& text) override {
        messages << text;
        if (realBoxes) FilmView::ShowMessage(text);
    }
};

VIDEO_SYNC_OUTPUT_T record(double kmh, const char* position) {
    VIDEO_SYNC_OUTPUT_T r{};
    r.speedKmh = static_cast<int>(kmh);
    r.speedKmhExact = kmh;
    std::strncpy(r.positionText, position, sizeof r.positionText - 1);
    return r;
}

class FilmViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        ASSERT_TRUE(dataDir.isValid());
        auto ownedEngine = std::make_unique<FakeEngine>();
        engine = ownedEngine.get();
        FilmView::Environment environment;
        environment.dataFolder = [this] { return dataDir.path() + "/"; };
        environment.readUnit = [this] { return unit; };
        environment.localTime = [this] { return now; };
        window = std::make_unique<QWidget>();
        window->setWindowTitle("Tesmira");
        view = new RecordingFilmView(host, std::move(ownedEngine), window.get(), environment);
        view->setPlayText("play");
        view->setPauseText("pause");
        window->resize(800, 600);
        window->show();
        view->resize(800, 600);
        now.tm_year = 2024 - 1900;
        now.tm_mon = 0;
        now.tm_mday = 31;
        now.tm_hour = 23;
        now.tm_min = 59;
        now.tm_sec = 59;
    }

    template <typename T>
    T* control(int id) {
        auto* widget = qobject_cast<T*>(view->control(id));
        EXPECT_NE(widget, nullptr) << "control " << id;
        return widget;
    }
    QString buttonText() { return control<QPushButton>(FilmView::kPlayPauseId)->text(); }
    QString speedText() { return control<OverlayLabel>(FilmView::kSpeedLabelId)->text(); }
    QString positionText() { return control<OverlayLabel>(FilmView::kPositionLabelId)->text(); }
    QString timeText() { return control<QLabel>(FilmView::kTimeTextId)->text(); }
    QSlider* progress() { return control<QSlider>(FilmView::kProgressId); }

    // A key pressed and released on the progress slider, as the user pages it.
    void pressKey(Qt::Key key, bool release = true) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(progress(), &press);
        if (!release) return;
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(progress(), &up);
    }
    void releaseKey(Qt::Key key) {
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(progress(), &up);
    }

    void click(QWidget* target, QPoint at) {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        }
    }
    void doubleClick(QWidget* target, QPoint at) {
        QMouseEvent event(QEvent::MouseButtonDblClick, at, target->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    void openFilm(const QString& path = "/films/a.mp4") {
        host.currentFilm = path;
        view->OpenFilm(path);
    }

    QTemporaryDir dataDir;
    FakeHost host;
    FakeEngine* engine = nullptr;
    std::string unit = "KMH";
    std::tm now{};
    std::unique_ptr<QWidget> window;
    RecordingFilmView* view = nullptr;
};

TEST_F(FilmViewTest, ControlsCarryTheirIdsAndStartTexts) {
    EXPECT_EQ(buttonText(), "play");
    EXPECT_EQ(control<QPushButton>(FilmView::kStopId)->text(), "stop");
    EXPECT_EQ(control<QPushButton>(FilmView::kPreviousId)->text(), "<<");
    EXPECT_EQ(control<QPushButton>(FilmView::kNextId)->text(), ">>");
    EXPECT_FALSE(control<QPushButton>(FilmView::kScreenshotId)->icon().isNull());
    EXPECT_EQ(timeText(), "00:00:00/00:00:00");
    EXPECT_EQ(speedText(), "000");
    EXPECT_EQ(positionText(), "N00.0000,W000.0000");
    EXPECT_EQ(progress()->minimum(), 0);
    EXPECT_EQ(progress()->maximum(), 1000);
    EXPECT_EQ(control<VideoArea>(FilmView::kVideoAreaId)->pictureId(), 151);
    EXPECT_NE(control<QLabel>(FilmView::kSpeakerId)->pixmap().isNull(), true);
    auto* speed = control<OverlayLabel>(FilmView::kSpeedLabelId);
    EXPECT_EQ(speed->textColor(), QColor(0x0D, 0x0D, 0x0F));
    EXPECT_TRUE(speed->centerImage());
    EXPECT_LE(QFontMetrics(speed->font()).height(), 17);
    EXPECT_GE(QFontMetrics(speed->font()).height(), 14);
    EXPECT_EQ(speed->font().weight(), QFont::Bold);
    EXPECT_FALSE(view->refreshTimerActive());
}

TEST_F(FilmViewTest, LayoutFollowsTheTable) {
    view->resize(801, 600);
    const int w = 801, h = 600;
    const auto at = [this](int id) { return view->control(id)->geometry(); };
    // The picture reaches up to the pane's top: nothing empty between menu and picture.
    EXPECT_EQ(at(FilmView::kVideoAreaId), QRect(0, 0, w, h - 115));
    EXPECT_EQ(at(FilmView::kSpeedLabelId), QRect(10, h - 110, 100, 25));
    // The position label ends at the right edge and is at least 150 wide; it grows to the
    // left as far as its text needs (see PositionLabelShowsTheWholeTextOnOneLine).
    const QRect position = at(FilmView::kPositionLabelId);
    EXPECT_EQ(position.right() + 1, w);
    EXPECT_EQ(position.top(), h - 110);
    EXPECT_EQ(position.height(), 25);
    EXPECT_GE(position.width(), 150);
    EXPECT_EQ(at(FilmView::kProgressId), QRect(0, h - 75, w - 120, 15));
    EXPECT_EQ(at(FilmView::kTimeTextId), QRect(w - 120, h - 75, 120, 30));
    EXPECT_EQ(at(FilmView::kSpeakerId), QRect(15, h - 26, 16, 16));
    EXPECT_EQ(at(FilmView::kVolumeId), QRect(33, h - 25, 80, 15));
    EXPECT_EQ(at(FilmView::kPreviousId), QRect(400 - 130, h - 40, 60, 30));
    EXPECT_EQ(at(FilmView::kPlayPauseId), QRect(400 - 65, h - 40, 60, 30));
    EXPECT_EQ(at(FilmView::kStopId), QRect(400, h - 40, 60, 30));
    EXPECT_EQ(at(FilmView::kNextId), QRect(400 + 65, h - 40, 60, 30));
    EXPECT_EQ(at(FilmView::kScreenshotId), QRect(w - 60, h - 40, 60, 30));
    EXPECT_EQ(engine->calls.last(), "SetVideoPosition 0 0 801 485");
}

TEST_F(FilmViewTest, OpeningTitlesTheWindowAndPlays) {
    engine->calls.clear();
    openFilm("C:\\a.mp4");
    EXPECT_EQ(window->windowTitle(), "Tesmira | C:\\a.mp4");
    EXPECT_EQ(engine->calls, (QStringList{"Open C:\\a.mp4", "SetVolume 0",
                                          "SetVideoPosition 0 0 800 485", "Run"}));
    EXPECT_EQ(buttonText(), "pause");
    EXPECT_TRUE(view->refreshTimerActive());
    EXPECT_EQ(timeText(), "00:00:00/02:00:00");
    EXPECT_EQ(view->GetDurationText(), "02:00:00");
    EXPECT_EQ(view->GetDurationSeconds(), 7200);
    EXPECT_EQ(view->GetResolutionText(), "1280 x 720");
    EXPECT_EQ(progress()->value(), 0);

    openFilm("C:\\b.mp4");
    EXPECT_EQ(window->windowTitle(), "Tesmira | C:\\b.mp4");
}

TEST_F(FilmViewTest, FailedOpenShowsRenderErrorAndNothingOfThePreviousFilm) {
    host.records = {record(47.0, "N22.500000,E114.000000")};
    openFilm("/films/a.mp4");
    EXPECT_EQ(speedText(), "47KM");
    host.records.clear();  // the window has loaded the broken film's (no) records
    engine->openSucceeds = false;
    EXPECT_FALSE(view->OpenFilm("/films/broken.mp4"));
    EXPECT_EQ(view->messages, QStringList{"Render Error\n/films/broken.mp4"});
    EXPECT_EQ(window->windowTitle(), "Tesmira | /films/a.mp4");
    // Nothing plays: the button offers to play; no second of the previous film is shown.
    EXPECT_EQ(buttonText(), "play");
    EXPECT_FALSE(view->refreshTimerActive());
    EXPECT_EQ(timeText(), "00:00:00/00:00:00");
    EXPECT_EQ(speedText(), "000");
    EXPECT_EQ(positionText(), "N00.0000,W000.0000");
    EXPECT_EQ(progress()->value(), 0);
    EXPECT_EQ(view->GetResolutionText(), "0 x 0");
    EXPECT_EQ(view->GetDurationText(), "00:00:00");
    // Ticks find no film and leave everything as it was.
    const QString before = timeText();
    view->RefreshTick();
    EXPECT_EQ(timeText(), before);
}

TEST_F(FilmViewTest, LabelsShowTheRecordOfTheCurrentSecond) {
    host.records = {record(0.0, "N22.500000,E114.000000"), record(55.0, "N22.500100,E114.000100"),
                    record(100.0, "S1.000000,W2.000000")};
    openFilm();
    EXPECT_EQ(speedText(), "0KM");
    EXPECT_EQ(positionText(), "N22.500000,E114.000000");

    // A position of exactly 0 is asked of the engine again.
    engine->position = 1.5;
    view->UpdateOverlay(0.0);
    EXPECT_EQ(speedText(), "55KM");
    EXPECT_EQ(timeText(), "00:00:01/02:00:00");

    engine->position = 2.95;
    view->RefreshTick();
    EXPECT_EQ(speedText(), "100KM");
    EXPECT_EQ(positionText(), "S1.000000,W2.000000");
    EXPECT_EQ(timeText(), "00:00:02/02:00:00");

    unit = "MPH";
    view->RefreshTick();
    EXPECT_EQ(speedText(), "62M");
    engine->position = 1.0;
    view->RefreshTick();
    EXPECT_EQ(speedText(), "34M");
    EXPECT_EQ(positionText(), "N22.500100,E114.000100");

    // An unknown unit leaves the speed text; the position still follows.
    unit = "kmh";
    engine->position = 2.0;
    view->RefreshTick();
    EXPECT_EQ(speedText(), "34M");
    EXPECT_EQ(positionText(), "S1.000000,W2.000000");

    // Past the last record: placeholders.
    unit = "KMH";
    engine->position = 3725.9;
    view->RefreshTick();
    EXPECT_EQ(timeText(), "01:02:05/02:00:00");
    EXPECT_EQ(progress()->value(), 517);
    EXPECT_EQ(speedText(), "000");
    EXPECT_EQ(positionText(), "N00.0000,W000.0000");

    // A position the engine cannot tell counts as the start.
    engine->positionReadable = false;
    view->RefreshTick();
    EXPECT_EQ(progress()->value(), 0);
    EXPECT_EQ(timeText(), "00:00:00/02:00:00");
    EXPECT_EQ(speedText(), "0KM");
}

TEST_F(FilmViewTest, PositionLabelShowsTheWholeTextOnOneLine) {
    openFilm();
    auto* label = control<OverlayLabel>(FilmView::kPositionLabelId);
    const QRect speed = view->control(FilmView::kSpeedLabelId)->geometry();
    for (const QSize size : {QSize(800, 600), QSize(FilmView::kMinimumWidth, 600),
                             QSize(FilmView::kMinimumWidth, FilmView::kMinimumHeight)}) {
        for (const char* text :
             {"N22.534812,E114.059052", "S89.999999,W179.999999", "N00.0000,W000.0000"}) {
            SCOPED_TRACE(
                QString("%1x%2 %3").arg(size.width()).arg(size.height()).arg(text).toStdString());
            window->resize(size);
            view->resize(size);
            host.records = {record(50.0, text)};
            view->UpdateOverlay(0.5);
            ASSERT_EQ(label->text(), text);
            EXPECT_EQ(label->lines().size(), 1u);
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
            EXPECT_EQ(label->geometry().right() + 1, view->width());
            EXPECT_FALSE(label->geometry().intersects(speed));
        }
    }
}

TEST_F(FilmViewTest, SlidersStayPutWithoutAFilm) {
    auto* volume = control<QSlider>(FilmView::kVolumeId);
    EXPECT_FALSE(progress()->isEnabled());
    EXPECT_FALSE(volume->isEnabled());
    openFilm();
    EXPECT_TRUE(progress()->isEnabled());
    EXPECT_TRUE(volume->isEnabled());
    engine->openSucceeds = false;
    view->OpenFilm("/films/broken.mp4");
    EXPECT_FALSE(progress()->isEnabled());
    EXPECT_FALSE(volume->isEnabled());
}

TEST_F(FilmViewTest, MessageBoxesAreTitledWithTheProductName) {
    QCoreApplication::setApplicationName("tesmira");
    view->realBoxes = true;
    QString title;
    QTimer::singleShot(0, [&title] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            box->accept();
        }
    });
    engine->openSucceeds = false;
    view->OpenFilm("/films/broken.mp4");
    EXPECT_EQ(title, "Tesmira");
}

// The player's keys, each pressed on the pane (or a child with focus) while the film plays or
// is paused at 100 s of 7200 s.
struct KeyCase {
    const char* name;
    Qt::Key key;
    bool paused;
    QStringList engineCalls;  // after the setup
    QStringList hostCalls;
    bool fullScreen;
    bool timerRunning;
};

TEST_F(FilmViewTest, PlayerKeys) {
    const std::vector<KeyCase> cases = {
        {"space pauses",
         Qt::Key_Space,
         false,
         {"Pause"},
         {"PauseMapTrack", "StopInstrumentTimers"},
         false,
         false},
        {"space plays", Qt::Key_Space, true, {"Run"}, {"ResumeSync 100"}, false, true},
        {"right seeks 5 s exactly",
         Qt::Key_Right,
         false,
         {"SetPositionExact 105"},
         {"ResumeSync 105"},
         false,
         true},
        {"left seeks back 5 s", Qt::Key_Left, true, {"SetPositionExact 95"}, {}, false, false},
        {"up seeks 60 s",
         Qt::Key_Up,
         false,
         {"SetPositionExact 160"},
         {"ResumeSync 160"},
         false,
         true},
        {"down seeks back 60 s", Qt::Key_Down, true, {"SetPositionExact 40"}, {}, false, false},
        {"f enters full screen", Qt::Key_F, false, {"ToggleFullScreen"}, {}, true, true},
        {"escape outside full screen does nothing", Qt::Key_Escape, false, {}, {}, false, true},
        {"period steps a frame", Qt::Key_Period, true, {"StepFrame +1"}, {}, false, false},
        {"comma steps back", Qt::Key_Comma, true, {"StepFrame -1"}, {}, false, false},
        {"s takes a screenshot", Qt::Key_S, true, {"SaveCurrentImage"}, {}, false, false},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        openFilm();
        engine->position = 100.0;
        if (c.paused) view->PlayPause();
        engine->calls.clear();
        host.calls.clear();
        // Pressed on the progress slider: its own handling of the key must not interfere.
        pressKey(c.key);
        EXPECT_EQ(engine->calls, c.engineCalls);
        EXPECT_EQ(host.calls, c.hostCalls);
        EXPECT_EQ(engine->fullScreen, c.fullScreen);
        EXPECT_EQ(view->refreshTimerActive(), c.timerRunning);
        if (engine->fullScreen) engine->fullScreen = false;
    }

    // A key seek shows the new second at once; Escape leaves full screen; a seek past the
    // end ends the film as the slider does.
    openFilm();
    view->PlayPause();
    pressKey(Qt::Key_Up);
    EXPECT_EQ(timeText(), "00:01:00/02:00:00");
    EXPECT_EQ(progress()->value(), 8);
    engine->fullScreen = true;
    pressKey(Qt::Key_Escape);
    EXPECT_FALSE(engine->fullScreen);
    engine->position = 7198.0;
    host.calls.clear();
    pressKey(Qt::Key_Right);
    EXPECT_EQ(host.calls, QStringList{"PlayNextFilm"});
    EXPECT_EQ(engine->state, FilmEngine::Stopped);

    // Keys of other windows are theirs.
    QWidget other;
    engine->calls.clear();
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(&other, &space);
    EXPECT_TRUE(engine->calls.isEmpty());
}

TEST_F(FilmViewTest, StopAndTheEndOfTheFilmShowTheFirstSecondEverywhere) {
    host.records = {record(11.0, "N1.000000,E1.000000"), record(22.0, "N2.000000,E2.000000"),
                    record(33.0, "N3.000000,E3.000000")};
    const std::vector<std::pair<const char*, std::function<void()>>> ends = {
        {"stop button", [this] { view->StopFilm(); }},
        {"end reported by the engine", [this] { engine->sink(1); }},
        {"slider released at its end", [this] { pressKey(Qt::Key_End); }},
    };
    for (const auto& [name, end] : ends) {
        SCOPED_TRACE(name);
        openFilm();
        engine->position = 2.5;
        view->RefreshTick();
        ASSERT_EQ(speedText(), "33KM");
        end();
        EXPECT_EQ(engine->position, 0.0);
        EXPECT_EQ(progress()->value(), 0);
        EXPECT_EQ(timeText(), "00:00:00/02:00:00");
        EXPECT_EQ(speedText(), "11KM");
        EXPECT_EQ(positionText(), "N1.000000,E1.000000");
    }
}

TEST_F(FilmViewTest, ZeroDurationKeepsTheSliderAtTheStart) {
    engine->duration = 0;
    openFilm();
    engine->position = 12.5;
    view->RefreshTick();
    EXPECT_EQ(progress()->value(), 0);
    EXPECT_EQ(timeText(), "00:00:12/00:00:00");
}

TEST_F(FilmViewTest, PauseAndPlayTellTheHost) {
    openFilm();
    engine->position = 37.8;
    view->PlayPause();
    EXPECT_EQ(engine->state, FilmEngine::Paused);
    EXPECT_EQ(buttonText(), "play");
    EXPECT_FALSE(view->refreshTimerActive());
    EXPECT_EQ(control<VideoArea>(FilmView::kVideoAreaId)->pictureId(), 0);
    EXPECT_EQ(host.calls, (QStringList{"PauseMapTrack", "StopInstrumentTimers"}));

    host.calls.clear();
    view->PlayPause();
    EXPECT_EQ(engine->state, FilmEngine::Running);
    EXPECT_EQ(buttonText(), "pause");
    EXPECT_TRUE(view->refreshTimerActive());
    EXPECT_EQ(host.calls, QStringList{"ResumeSync 37"});
}

TEST_F(FilmViewTest, WithoutAFilmOnlyStopActs) {
    view->PlayPause();
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_EQ(buttonText(), "play");
    EXPECT_FALSE(view->refreshTimerActive());

    progress()->setValue(400);
    view->StopFilm();
    EXPECT_EQ(progress()->value(), 0);
    EXPECT_EQ(host.calls, (QStringList{"PauseMapTrack", "StopInstrumentTimers"}));
    EXPECT_TRUE(engine->calls.contains("Stop"));

    // Screenshot only makes the folder.
    view->SaveScreenshot();
    EXPECT_TRUE(QDir(dataDir.path() + "/screenshot").exists());
    EXPECT_TRUE(QDir(dataDir.path() + "/screenshot").entryList(QDir::Files).isEmpty());
}

TEST_F(FilmViewTest, StopRewindsAndTellsTheHost) {
    openFilm();
    engine->position = 100.0;
    view->RefreshTick();
    ASSERT_GT(progress()->value(), 0);
    engine->calls.clear();
    view->StopFilm();
    EXPECT_FALSE(view->refreshTimerActive());
    EXPECT_EQ(progress()->value(), 0);
    EXPECT_EQ(engine->calls, (QStringList{"Stop", "SetPosition 0"}));
    EXPECT_EQ(timeText(), "00:00:00/02:00:00");
    EXPECT_EQ(buttonText(), "play");
    EXPECT_EQ(host.calls, (QStringList{"PauseMapTrack", "StopInstrumentTimers"}));
    EXPECT_EQ(control<VideoArea>(FilmView::kVideoAreaId)->pictureId(), 151);
}

// The page keys no longer page the slider: they ask the host for the next or previous
// event, whose seconds the slider marks.
TEST_F(FilmViewTest, PageKeysAskTheHostForEventsWhichTheSliderMarks) {
    openFilm();
    view->SetEventSeconds({0, 720, 7199});
    EXPECT_EQ(view->EventMarks(), (std::vector<int>{0, 100, 999}));  // of 7,200 s
    host.calls.clear();
    pressKey(Qt::Key_PageDown);
    pressKey(Qt::Key_PageUp);
    EXPECT_EQ(host.calls, (QStringList{"JumpToEvent 1", "JumpToEvent -1"}));
    EXPECT_EQ(progress()->value(), 0);
    EXPECT_TRUE(engine->seeks.empty());
    EXPECT_TRUE(view->refreshTimerActive());

    view->JumpTo(1440.0);
    EXPECT_EQ(engine->seeks, std::vector<double>{1440.0});
    EXPECT_EQ(progress()->value(), 200);
    EXPECT_EQ(host.calls.last(), "ResumeSync 1440");
    // Another film has no marks until it is told its events.
    openFilm();
    EXPECT_TRUE(view->EventMarks().empty());
}

TEST_F(FilmViewTest, SeekWhilePausedOrStoppedShowsTheNewSecondAndLeavesTimerAndHostAlone) {
    engine->duration = 10;
    for (int s = 0; s < 10; ++s) host.records.push_back(record(10.0 * s, "N1.000000,E1.000000"));
    host.records[5] = record(20.0, "N2.000000,E2.000000");
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "stopped" : "paused");
        openFilm();
        stopped ? view->StopFilm() : view->PlayPause();
        host.calls.clear();

        pressKey(Qt::Key_Right);
        ASSERT_FALSE(engine->seeks.empty());
        EXPECT_DOUBLE_EQ(engine->seeks.back(), 5.0);
        EXPECT_FALSE(view->refreshTimerActive());
        EXPECT_TRUE(host.calls.isEmpty());
        EXPECT_EQ(timeText(), "00:00:05/00:00:10");
        EXPECT_EQ(speedText(), "20KM");
        EXPECT_EQ(positionText(), "N2.000000,E2.000000");
        EXPECT_EQ(engine->state, stopped ? FilmEngine::Stopped : FilmEngine::Paused);
    }
}

TEST_F(FilmViewTest, ReleaseAtTheEndActsAsEndOfFilm) {
    openFilm();
    engine->calls.clear();
    pressKey(Qt::Key_End);
    EXPECT_EQ(engine->calls, (QStringList{"SetPosition 0", "Stop"}));
    EXPECT_EQ(engine->state, FilmEngine::Stopped);
    EXPECT_EQ(progress()->value(), 0);  // rewound, as the picture
    EXPECT_EQ(buttonText(), "play");
    EXPECT_FALSE(view->refreshTimerActive());
    EXPECT_EQ(host.calls, QStringList{"PlayNextFilm"});

    // The engine reporting the end does the same, and the refresh stops.
    host.calls.clear();
    view->PlayPause();
    ASSERT_TRUE(view->refreshTimerActive());
    host.calls.clear();
    ASSERT_TRUE(engine->sink);
    engine->sink(1);
    EXPECT_EQ(engine->state, FilmEngine::Stopped);
    EXPECT_EQ(progress()->value(), 0);
    EXPECT_FALSE(view->refreshTimerActive());
    EXPECT_EQ(host.calls, QStringList{"PlayNextFilm"});

    engine->sink(3);
    EXPECT_EQ(view->messages, QStringList{"Error"});
    engine->sink(2);
    EXPECT_EQ(view->messages.size(), 1);
}

TEST_F(FilmViewTest, DraggingStopsTheTimerUntilRelease) {
    openFilm();
    progress()->setSliderDown(true);
    EXPECT_FALSE(view->refreshTimerActive());
    progress()->setSliderPosition(250);
    progress()->setSliderDown(false);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(progress(), &release);
    ASSERT_FALSE(engine->seeks.empty());
    EXPECT_DOUBLE_EQ(engine->seeks.back(), 1800.0);
    EXPECT_TRUE(view->refreshTimerActive());
    EXPECT_EQ(host.calls, QStringList{"ResumeSync 1800"});
}

TEST_F(FilmViewTest, EveryButtonThatMovesTheSliderSeeksOnRelease) {
    // Some styles let the middle button jump the thumb and drag it; its release
    // ends the interaction as much as the left button's does.
    openFilm();
    const QPointF at(progress()->width() / 2, progress()->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, progress()->mapToGlobal(at), Qt::MiddleButton,
                      Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(progress(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, progress()->mapToGlobal(at),
                        Qt::MiddleButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(progress(), &release);
    const int value = progress()->value();
    if (value == 0) GTEST_SKIP() << "this style does not move the slider with the middle button";
    ASSERT_FALSE(engine->seeks.empty());
    EXPECT_DOUBLE_EQ(engine->seeks.back(), value * 7200 / 1000.0);
    EXPECT_TRUE(view->refreshTimerActive());
    EXPECT_EQ(host.calls, QStringList{QString("ResumeSync %1").arg(value * 7200 / 1000)});

    // A right click moves nothing and seeks nothing.
    engine->seeks.clear();
    host.calls.clear();
    QMouseEvent rightPress(QEvent::MouseButtonPress, at, progress()->mapToGlobal(at),
                           Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(progress(), &rightPress);
    QMouseEvent rightRelease(QEvent::MouseButtonRelease, at, progress()->mapToGlobal(at),
                             Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(progress(), &rightRelease);
    EXPECT_TRUE(engine->seeks.empty());
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_TRUE(view->refreshTimerActive());
}

TEST_F(FilmViewTest, VolumeSliderSetsTheEngineVolume) {
    openFilm();
    auto* volume = control<QSlider>(FilmView::kVolumeId);
    EXPECT_EQ(volume->minimum(), -10000);
    EXPECT_EQ(volume->maximum(), 0);
    EXPECT_EQ(volume->value(), 0);
    volume->setValue(-2500);
    EXPECT_EQ(engine->volumes.back(), -2500);

    // The next film starts at full volume, and the slider says so.
    openFilm("/films/b.mp4");
    EXPECT_EQ(volume->value(), 0);
    EXPECT_EQ(engine->volumes.back(), 0);
}

TEST_F(FilmViewTest, DroppedFilesGoToTheHostTogether) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/films/one.MP4"), QUrl::fromLocalFile("/notes/readme.txt"),
                  QUrl("https://example.org/two.mov"), QUrl::fromLocalFile("/films/two.mov")});
    QDragEnterEvent enter(QPoint(400, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(400, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &drop);
    // The host sorts and plays them as it does a choice in the open dialog.
    EXPECT_EQ(host.calls, QStringList{"OpenFilms /films/one.MP4,/notes/readme.txt,/films/two.mov"});
}

TEST_F(FilmViewTest, PreviousAndNextAskTheListWithTheCurrentFilm) {
    host.currentFilm = "/films/b.mp4";
    control<QPushButton>(FilmView::kPreviousId)->click();
    control<QPushButton>(FilmView::kNextId)->click();
    EXPECT_EQ(host.calls, (QStringList{"PlayPrevious /films/b.mp4", "PlayNext /films/b.mp4"}));
}

TEST_F(FilmViewTest, DoubleClickInsideTheEllipseTogglesFullScreen) {
    auto* area = control<VideoArea>(FilmView::kVideoAreaId);
    doubleClick(area, area->rect().center());
    EXPECT_FALSE(engine->fullScreen);  // no film

    openFilm();
    doubleClick(area, QPoint(3, 3));  // a corner lies outside the ellipse
    EXPECT_FALSE(engine->fullScreen);
    // Near the top of the area, under its middle: inside the ellipse once the point
    // is taken in the pane's coordinates (the area starts 50 pixels down).
    doubleClick(area, QPoint(area->width() / 2, 10));
    EXPECT_TRUE(engine->fullScreen);
    doubleClick(area, QPoint(3, 3));
    EXPECT_FALSE(engine->fullScreen);
    // Just inside the ellipse's lowest point, near the bottom of the area.
    doubleClick(area, QPoint(area->width() / 2, area->height() - 3));
    EXPECT_TRUE(engine->fullScreen);
    // In full screen any double-click goes back.
    doubleClick(control<QPushButton>(FilmView::kStopId), QPoint(2, 2));
    EXPECT_FALSE(engine->fullScreen);
    doubleClick(view, QPoint(400, 485 / 2));
    EXPECT_TRUE(engine->fullScreen);

    // A double-click in a window of its own, a message box say, is that window's
    // business: full screen stays and the window gets the click.
    struct ClickCounter : QWidget {
        int doubleClicks = 0;
        void mouseDoubleClickEvent(QMouseEvent*) override { ++doubleClicks; }
    } other;
    other.resize(100, 100);
    other.show();
    doubleClick(&other, QPoint(50, 50));
    EXPECT_TRUE(engine->fullScreen);
    EXPECT_EQ(other.doubleClicks, 1);
}

TEST_F(FilmViewTest, IdlePictureShowsWhileNothingPlays) {
    auto* area = control<VideoArea>(FilmView::kVideoAreaId);
    const auto isBlack = [](const QImage& image, QPoint at) {
        return image.pixelColor(at) == QColor(Qt::black);
    };
    // No film: the video area shows the idle picture stretched, up to the pane's top.
    EXPECT_TRUE(isBlack(view->grab().toImage(), QPoint(400, 20)));
    EXPECT_TRUE(isBlack(area->grab().toImage(), area->rect().center()));

    // A film: no strip of the pane's white between its top and the picture.
    openFilm();
    EXPECT_TRUE(isBlack(view->grab().toImage(), QPoint(400, 20)));

    // Pausing takes the picture id away: only a black frame remains.
    view->PlayPause();
    EXPECT_EQ(area->pictureId(), 0);
    const QImage framed = area->grab().toImage();
    EXPECT_TRUE(isBlack(framed, QPoint(0, 0)));
    EXPECT_FALSE(isBlack(framed, area->rect().center()));

    // Stopped: the area keeps its id.
    view->StopFilm();
    EXPECT_EQ(area->pictureId(), 0);
    openFilm();
    EXPECT_EQ(area->pictureId(), 151);
}

TEST_F(FilmViewTest, ScreenshotsInTheSameSecondAreAllKept) {
    openFilm();
    const QString folder = dataDir.path() + "/screenshot/";
    const QStringList names{"20240131235959.bmp", "20240131235959-2.bmp", "20240131235959-3.bmp"};
    const QList<QByteArray> frames{QByteArray(300, 'A'), QByteArray(100, 'B'),
                                   QByteArray(200, 'C')};
    for (const QByteArray& frame : frames) {
        engine->frameBytes = frame;
        control<QPushButton>(FilmView::kScreenshotId)->click();
    }
    EXPECT_TRUE(view->messages.isEmpty());
    QStringList written = QDir(folder).entryList(QDir::Files);
    written.sort();
    QStringList expected = names;
    expected.sort();
    EXPECT_EQ(written, expected);
    for (int i = 0; i < names.size(); ++i) {
        QFile shot(folder + names[i]);
        ASSERT_TRUE(shot.open(QIODevice::ReadOnly));
        EXPECT_EQ(shot.readAll(), frames[i]) << names[i].toStdString();
    }
}

TEST_F(FilmViewTest, ScreenshotThatCannotBeSavedIsReported) {
    openFilm();
    // A plain file where the folder belongs: neither the folder nor the picture can be made.
    QFile blocker(dataDir.path() + "/screenshot");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    control<QPushButton>(FilmView::kScreenshotId)->click();
    ASSERT_EQ(view->messages.size(), 1);
    EXPECT_TRUE(view->messages.front().startsWith("The screenshot could not be saved:\n"));
    EXPECT_TRUE(view->messages.front().endsWith("20240131235959.bmp"));
    EXPECT_TRUE(QFileInfo(blocker.fileName()).isFile());

    // Without a film the button only tries the folder and says nothing.
    view->StopFilm();
    engine->hasFilm = false;
    control<QPushButton>(FilmView::kScreenshotId)->click();
    EXPECT_EQ(view->messages.size(), 1);
}

TEST_F(FilmViewTest, ScreenshotSaysWhereItWent) {
    openFilm();
    control<QPushButton>(FilmView::kScreenshotId)->click();
    // Without the language file's text the note is in English.
    EXPECT_TRUE(view->notice()->isVisible());
    EXPECT_EQ(view->notice()->text(),
              "Screenshot saved: " +
                  QDir::toNativeSeparators(dataDir.path() + "/screenshot/20240131235959.bmp"));
}

TEST_F(FilmViewTest, ClickOnTheProgressSliderSeeksToThatPoint) {
    openFilm();
    QSlider* slider = progress();
    const QPoint at(slider->width() * 3 / 4, slider->height() / 2);
    click(slider, at);
    // Within the thumb's half width of three quarters, not one page step of 200.
    EXPECT_NEAR(slider->value(), 750, 25);
    EXPECT_EQ(engine->calls.filter("SetPositionExact").size(), 1);
    ASSERT_FALSE(engine->seeks.empty());
    EXPECT_DOUBLE_EQ(engine->seeks.back(), slider->value() * 7200 / 1000.0);
    EXPECT_TRUE(view->refreshTimerActive());
}

TEST_F(FilmViewTest, SpeakerClickMutesAndUnmutes) {
    openFilm();
    auto* volume = control<QSlider>(FilmView::kVolumeId);
    auto* speaker = control<QLabel>(FilmView::kSpeakerId);
    volume->setValue(-2500);
    const QImage loud = speaker->pixmap().toImage();
    click(speaker, QPoint(8, 8));
    EXPECT_EQ(engine->volumes.back(), -10000);
    EXPECT_EQ(volume->value(), -10000);
    EXPECT_NE(speaker->pixmap().toImage(), loud);
    // Silence stays with the next film of the list.
    openFilm("/films/b.mp4");
    EXPECT_EQ(engine->volumes.back(), -10000);
    click(speaker, QPoint(8, 8));
    EXPECT_EQ(engine->volumes.back(), -2500);
    EXPECT_EQ(speaker->pixmap().toImage(), loud);
}

}  // namespace
}  // namespace tesmira
