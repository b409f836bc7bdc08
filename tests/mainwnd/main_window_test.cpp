// The whole player window: films loaded into every pane, the synchroniser's calls,
// the menu commands and the command line, on writer-made films with a scripted engine
// (and, for the track reaching a real page, the browser with provider stand-ins).

#include "mainwnd/main_window.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "app/app_paths.h"
#include "app/ini_profile.h"
#include "app/retext.h"
#include "app/settings.h"
#include "cli/export_command.h"
#include "cli/multi_track_export.h"
#include "filelist/film_list_pane.h"
#include "filelist/sortable_list_view.h"
#include "instruments/instrument_pane.h"
#include "mainwnd/film_read_queue.h"
#include "mainwnd/trip_feeder.h"
#include "map/map_pages.h"
#include "map_test_env.h"
#include "playback/fake_film.h"
#include "playback/film_view.h"
#include "playback/play_speeds.h"
#include "playback/video_widget.h"
#include "support/test_films.h"
#include "widgets/overlay_label.h"

namespace tesmira {
namespace {

using testing::FakeEngine;
namespace tf = testfilms;

// What the page was asked, one text per call: "name(arg,arg)".
struct RecordingPage : MapPage {
    QStringList calls;
    bool CallPageFunction(const std::string& name, const std::vector<std::string>& args) override {
        QStringList texts;
        for (const std::string& a : args) texts << QString::fromStdString(a);
        calls << QString::fromStdString(name) + "(" + texts.join(',') + ")";
        return true;
    }
    int count(const QString& prefix) const {
        return static_cast<int>(std::count_if(
            calls.begin(), calls.end(), [&](const QString& c) { return c.startsWith(prefix); }));
    }
};

class Window : public MainWindow {
public:
    using MainWindow::MainWindow;
    QStringList chosen;
    QString chosenFolder;
    ExportChoice exportChoice;  // the save dialog's answer
    QString exportTitle;        // and what it was asked
    QString exportSuggested;
    QStringList messages;
    std::function<void()> whileShown;     // runs once, as if in the box's event loop
    std::function<void()> afterNextFilm;  // right after each end of a film was handled

    void PlayNextFilm() override {
        MainWindow::PlayNextFilm();
        if (afterNextFilm) afterNextFilm();
    }

protected:
    QStringList ChooseFilms() override { return chosen; }
    QString ChooseFolder() override { return chosenFolder; }
    ExportChoice ChooseExportFile(const QString& title, const QString& suggested) override {
        exportTitle = title;
        exportSuggested = suggested;
        return exportChoice;
    }
    void ShowMessage(const QString& text) override {
        messages << text;
        if (whileShown) std::exchange(whileShown, nullptr)();
    }
};

// Sets when a file was last written, as a copy that keeps the camera's time does.
void SetWritten(const QString& path, const QDateTime& when) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

// Runs `act`, closing each message box of the window's own panes as it shows; returns
// their texts.
QStringList ClosingBoxes(const std::function<void()>& act) {
    QStringList texts;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->accept();
        }
    });
    closer.start(10);
    act();
    return texts;
}

// A type-60 film with `records` records, and a type-50 film in which only two of
// three records pass the integrity check; both copied into `folder`.
QString CopyFilm(const std::filesystem::path& film, const QString& folder, const QString& name) {
    const QString target = folder + "/" + name;
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(QString::fromStdString(film.string()), target));
    return target;
}

std::filesystem::path Type60Film(std::size_t records) {
    tf::TestFilmOptions options;
    options.placement = tf::RecordPlacement::Type60;
    options.withAudio = false;
    options.rows = tf::GenerateTrack(records);
    if (records > 5) (*options.rows)[5].status = 'V';  // one second without a fix
    return tf::MakeTestFilm(options);
}

// A type-60 film of `records` seconds whose G-sensor jumps by 1 g at each of `bumps`
// (and back a second later: one event each).
std::filesystem::path BumpyFilm(std::size_t records, const std::vector<int>& bumps) {
    tf::TestFilmOptions options;
    options.placement = tf::RecordPlacement::Type60;
    options.withAudio = false;
    options.rows = tf::GenerateTrack(records);
    for (int bump : bumps) (*options.rows)[static_cast<std::size_t>(bump)].gsensorX += 128;
    return tf::MakeTestFilm(options);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDataFolder(data.path().toStdString());
        ClearProfileCache();
        SetMapProvider(kMapGoogle);
    }
    void TearDown() override {
        window.reset();
        SetDataFolder("");
    }

    // The window with a scripted engine whose films last `duration` seconds; the
    // track goes to `page`; the map pane's check asks `checkHost` (the answering
    // provider when empty).
    // A duration of 0 plays the films in the libmpv engine.
    Window& make(int duration = 120, const std::string& checkHost = {}) {
        MainWindow::Options options;
        if (duration > 0)
            options.makeEngine = [this, duration] {
                auto made = std::make_unique<FakeEngine>();
                made->duration = duration;
                engine = made.get();
                return made;
            };
        options.mapPage = &page;
        const std::string host = checkHost.empty() ? provider.host() : checkHost;
        options.mapCheckHosts = {{"maps.googleapis.com", host}, {"api.map.baidu.com", host}};
        options.screenSize = QSize(1920, 1080);
        options.screens = screens;
        options.locators = locators;
        window = std::make_unique<Window>(options);
        return *window;
    }

    FilmListPane& list() { return *window->filmList(); }
    InstrumentPane& dials() { return *window->instrumentView(); }
    QString listText(int row, int column) { return list().List().GetItemText(row, column); }
    // Every pane shows record `second`: the marker, the three instruments and the labels.
    void expectPanesAt(int second) {
        const MainWindow::PaneSeconds shown = window->paneSeconds();
        EXPECT_EQ(shown.marker, second);
        EXPECT_EQ(shown.chart, second);
        EXPECT_EQ(shown.speedometer, second);
        EXPECT_EQ(shown.compass, second);
        EXPECT_EQ(shown.labels, second);
    }
    void press(QWidget* target, Qt::Key key) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &up);
    }
    QString timeText() {
        return qobject_cast<QLabel*>(window->filmView()->control(FilmView::kTimeTextId))->text();
    }
    QStringList listed() {
        QStringList paths;
        for (int r = 0; r < list().List().GetItemCount(); ++r)
            paths << listText(r, FilmListPane::kPathColumn);
        return paths;
    }

    QTemporaryDir data;
    QTemporaryDir films;
    maptest::AnsweringServer provider;
    RecordingPage page;
    FilmLocators locators;
    std::vector<QRect> screens;  // those the window is told of; empty for the system's
    FakeEngine* engine = nullptr;
    std::unique_ptr<Window> window;
};

TEST_F(MainWindowTest, PanesStartWithTheDesignedSizesAndNeverOverlap) {
    Window& w = make();
    QApplication::processEvents();
    EXPECT_EQ(w.outerSplitter()->handleWidth(), 10);
    EXPECT_EQ(w.instrumentView()->height(), 165);
    EXPECT_EQ(w.filmView()->width(), 864);
    // The right column: two parts map, one part list (466 : 233 as first given).
    const int map = w.mapView()->height();
    const int listHeight = w.filmList()->height();
    EXPECT_NEAR(static_cast<double>(map) / listHeight, 466.0 / 233.0, 0.05);
    // The panes fill the client area below the menu bar, nothing above it.
    const QPoint top = w.filmView()->mapTo(&w, QPoint(0, 0));
    EXPECT_GE(top.y(), w.menuBar()->height());

    w.InitDialog({});
    EXPECT_EQ(w.geometry().size(), QSize(1152, 864));

    // At the smallest size no pane overlaps another and no control of the film pane
    // covers another.
    w.resize(10, 10);
    QApplication::processEvents();
    const QList<QWidget*> panes = {w.filmView(), w.mapView(), w.filmList(), w.instrumentView()};
    for (QWidget* a : panes) {
        const QRect ra(a->mapTo(&w, QPoint(0, 0)), a->size());
        EXPECT_GE(a->width(), a->minimumWidth());
        EXPECT_GE(a->height(), a->minimumHeight());
        for (QWidget* b : panes)
            if (a != b) {
                EXPECT_FALSE(ra.intersects(QRect(b->mapTo(&w, QPoint(0, 0)), b->size())));
            }
    }
    QList<QWidget*> controls;
    for (QWidget* c : w.filmView()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c->isVisible() && c->property("controlId").isValid()) controls << c;
    for (QWidget* a : controls)
        for (QWidget* b : controls)
            if (a != b) {
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << a->property("controlId").toInt() << " " << b->property("controlId").toInt();
            }
}

TEST_F(MainWindowTest, OpenedFilmsAreListedOldestFirstAndTheOldestPlaysInStep) {
    // Created a second apart: b before a.
    const QString b = CopyFilm(Type60Film(180), films.path(), "b.MP4");
    QThread::msleep(1100);
    const QString a = CopyFilm(Type60Film(180), films.path(), "a.mp4");
    Window& w = make(120);
    w.InitDialog({});
    w.chosen = {a, films.path() + "/notes.Mp4", b};
    w.OnCommand(MainWindow::kCmdOpen);

    ASSERT_EQ(list().List().GetItemCount(), 2);
    EXPECT_EQ(listText(0, FilmListPane::kPathColumn), b);
    EXPECT_EQ(listText(1, FilmListPane::kPathColumn), a);
    EXPECT_EQ(w.CurrentFilm(), b);
    EXPECT_EQ(list().List().GetFirstSelectedItem(), 0);
    EXPECT_EQ(engine->calls.filter("Open").last(), "Open " + b);
    // The list row got the film's texts once it was open.
    EXPECT_EQ(listText(0, FilmListPane::kTimeColumn), "00:02:00");
    EXPECT_EQ(listText(0, FilmListPane::kResolutionColumn), "1280 x 720");
    EXPECT_EQ(listText(0, FilmListPane::kSizeColumn), "0");

    // The page: stop, 180 points (the one without a fix as V,V), play every 666 ms.
    EXPECT_EQ(page.calls.first(), "stop()");
    EXPECT_EQ(page.count("path_plot("), 180);
    EXPECT_EQ(page.calls.filter("path_plot(").at(5), "path_plot(V,V)");
    EXPECT_EQ(page.calls.last(), "play(0,666)");
    EXPECT_TRUE(w.hasSamples());
    EXPECT_EQ(w.samplePeriod(), 666);  // 120 s * 1000 / 180 samples
    EXPECT_EQ(w.SyncRecords().size(), 180u);
    EXPECT_EQ(dials().Speedometer().ValueCount(), 180u);
    EXPECT_EQ(dials().Chart().LineCount(), 3u);
    EXPECT_EQ(dials().Chart().Line(2).PointCount(), 180u);
    for (int period :
         {dials().Chart().Period(), dials().Speedometer().Period(), dials().Compass().Period()})
        EXPECT_EQ(period, 666);
    EXPECT_TRUE(maptest::WaitFor([&] { return dials().Compass().Position() >= 1; }, 3000));

    // Pause stops map and instruments where they are.
    page.calls.clear();
    w.filmView()->PlayPause();
    EXPECT_EQ(page.calls, QStringList{"pause()"});
    EXPECT_FALSE(dials().Speedometer().TimerRunning());
    EXPECT_FALSE(dials().Chart().TimerRunning());
    // Play again at the video's second 37: everything realigns there (an instrument shows
    // the sample before its position).
    engine->position = 37.6;
    w.filmView()->PlayPause();
    EXPECT_EQ(page.calls.last(), "play(37,1000)");
    for (int position : {dials().Chart().Position(), dials().Speedometer().Position(),
                         dials().Compass().Position()})
        EXPECT_EQ(position, 38);
    EXPECT_TRUE(dials().Compass().TimerRunning());
    EXPECT_EQ(dials().Compass().Period(), 666);

    // A slider release while running realigns too.
    engine->position = 90.2;
    w.ResumeSync("90");
    EXPECT_EQ(page.calls.last(), "play(90,1000)");
    EXPECT_EQ(dials().Chart().Position(), 91);

    // The end of the first film plays the second; the end of the last stops.
    page.calls.clear();
    w.filmView()->OnGraphEvent(1);
    EXPECT_EQ(w.CurrentFilm(), a);
    EXPECT_EQ(list().List().GetFirstSelectedItem(), 1);
    EXPECT_EQ(page.calls.first(), "stop()");
    EXPECT_EQ(dials().Speedometer().ValueCount(), 180u);  // the first film's series are gone
    EXPECT_EQ(dials().Chart().Line(0).PointCount(), 180u);
    EXPECT_EQ(w.SyncRecords().size(), 180u);
    const int opens = static_cast<int>(engine->calls.filter("Open").size());
    w.filmView()->OnGraphEvent(1);
    EXPECT_EQ(w.CurrentFilm(), a);
    EXPECT_EQ(engine->calls.filter("Open").size(), opens);

    // Deleting the playing row when it is the last: nothing plays, and Play has
    // nothing to replay.
    list().List().SelectItem(1);
    list().OnDelete();
    EXPECT_EQ(listed(), QStringList{b});
    EXPECT_EQ(w.CurrentFilm(), "");
    EXPECT_FALSE(engine->hasFilm);
    EXPECT_FALSE(dials().Compass().TimerRunning());
    engine->calls.clear();
    w.filmView()->PlayPause();
    EXPECT_FALSE(engine->calls.contains("Run"));
}

TEST_F(MainWindowTest, AfterAStallEveryPaneShowsTheFilmsSecondAgain) {
    const struct {
        const char* what;
        bool loopStalls;  // else the decoder is held back while the window runs on
    } cases[] = {{"stalled event loop", true}, {"decoder held back", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Window& w = make(20);
        w.InitDialog({});
        w.PlayFile(CopyFilm(Type60Film(20), films.path(), "drift.mp4"));
        ASSERT_EQ(w.samplePeriod(), 1000);
        engine->position = 1.2;
        if (c.loopStalls) {
            // The film plays on while nothing of the window runs.
            QThread::msleep(2600);
            engine->position = 3.8;
        } else {
            // The picture stands still while the panes' own timers run.
            QTest::qWait(2600);
            engine->position = 3.4;
        }
        QTest::qWait(250);
        expectPanesAt(3);
        window.reset();
        page.calls.clear();
    }
}

TEST_F(MainWindowTest, PausedSeeksStopAndTheEndShowTheFilmsSecondInEveryPane) {
    const QString film = CopyFilm(Type60Film(20), films.path(), "p.mp4");
    Window& w = make(20);
    w.InitDialog({});
    w.OpenFilms({film});
    QWidget* pane = w.filmView();
    engine->position = 3.5;
    w.filmView()->PlayPause();

    press(pane, Qt::Key_Right);  // 5 s on
    expectPanesAt(8);
    engine->position = 9.04;  // where a frame step lands
    press(pane, Qt::Key_Period);
    expectPanesAt(9);
    w.filmView()->StopFilm();
    expectPanesAt(0);
    EXPECT_FALSE(dials().Chart().TimerRunning());

    // Seconds with and without a fix (second 5 has none): the needles read as the labels.
    auto* speedLabel = qobject_cast<OverlayLabel*>(w.filmView()->control(FilmView::kSpeedLabelId));
    for (double second : {4.2, 6.2, 5.2}) {
        engine->position = second - 5.0;
        press(pane, Qt::Key_Right);
        EXPECT_EQ(speedLabel->text(), QString("%1KM").arg(dials().Speedometer().CurrentFrame()))
            << second;
    }
    EXPECT_EQ(speedLabel->text(), "0KM");
    EXPECT_EQ(dials().Compass().CurrentFrame(), 0);  // the no-fix course, as at rest

    // The end of the last film: everything back at the first second, and still.
    engine->position = 12.0;
    w.filmView()->PlayPause();
    page.calls.clear();
    engine->sink(1);
    expectPanesAt(0);
    EXPECT_FALSE(dials().Speedometer().TimerRunning());
    EXPECT_EQ(page.calls, QStringList({"play(0,1000)", "pause()"}));
}

TEST_F(MainWindowTest, PlaybackSpeedDrivesPictureMarkerInstrumentsAndTimeText) {
    const QString a = CopyFilm(Type60Film(20), films.path(), "a.mp4");
    QThread::msleep(1100);
    const QString b = CopyFilm(Type60Film(20), films.path(), "b.mp4");
    Window& w = make(20);
    w.InitDialog({});
    w.OpenFilms({a, b});
    const auto checkedSpeeds = [&] {
        QStringList texts;
        for (std::size_t i = 0; i < kPlaySpeedCount; ++i)
            if (QAction* item = w.commandAction(MainWindow::kCmdSpeedFirst + static_cast<int>(i));
                item && item->isChecked())
                texts << item->text();
        return texts;
    };
    EXPECT_EQ(engine->speed, 1.0);
    EXPECT_EQ(checkedSpeeds(), QStringList{"1×"});
    EXPECT_EQ(timeText(), "00:00:00/00:00:20");

    engine->position = 6.3;
    w.OnCommand(MainWindow::kCmdSpeedFirst + 4);
    EXPECT_EQ(engine->speed, 2.0);
    EXPECT_EQ(checkedSpeeds(), QStringList{"2×"});
    EXPECT_EQ(timeText(), "00:00:06/00:00:20 2×");
    EXPECT_EQ(page.calls.last(), "play(6,500)");
    for (int period :
         {dials().Chart().Period(), dials().Speedometer().Period(), dials().Compass().Period()})
        EXPECT_EQ(period, 500);

    // The keys walk the list and stop at its ends, wherever the focus is.
    const struct {
        Qt::Key key;
        double speed;
    } walk[] = {
        {Qt::Key_BracketRight, 4.0},  {Qt::Key_BracketRight, 8.0}, {Qt::Key_BracketRight, 16.0},
        {Qt::Key_BracketRight, 16.0}, {Qt::Key_Backspace, 1.0},    {Qt::Key_BracketLeft, 0.5},
        {Qt::Key_BracketLeft, 0.25},  {Qt::Key_BracketLeft, 0.25}, {Qt::Key_BracketRight, 0.5},
        {Qt::Key_BracketRight, 1.0},  {Qt::Key_BracketRight, 1.5}, {Qt::Key_BracketRight, 2.0}};
    for (const auto& step : walk) {
        press(&list().List(), step.key);
        EXPECT_EQ(engine->speed, step.speed);
        EXPECT_EQ(w.speed(), step.speed);
    }
    EXPECT_EQ(checkedSpeeds(), QStringList{"2×"});

    // The next film of the list plays at the same speed.
    page.calls.clear();
    engine->sink(1);
    ASSERT_EQ(w.CurrentFilm(), b);
    EXPECT_EQ(engine->speed, 2.0);
    EXPECT_TRUE(page.calls.contains("play(0,500)"));
    EXPECT_EQ(dials().Compass().Period(), 500);
    EXPECT_EQ(timeText(), "00:00:00/00:00:20 2×");
    EXPECT_EQ(checkedSpeeds(), QStringList{"2×"});
}

TEST_F(MainWindowTest, TheTripGoesOnPastAMissingAndADamagedFilm) {
    // Copied newest first; the write times, kept as cp -p keeps them, say otherwise.
    const QString c = CopyFilm(Type60Film(20), films.path(), "c.MP4");
    const QString bad = CopyFilm(Type60Film(20), films.path(), "bad.MP4");
    const QString a = CopyFilm(Type60Film(20), films.path(), "a.MP4");
    const QDateTime morning(QDate(2024, 5, 1), QTime(10, 0));
    SetWritten(a, morning);
    SetWritten(bad, morning.addSecs(60));
    SetWritten(c, morning.addSecs(120));
    Window& w = make(20);
    engine->refused << bad;
    w.InitDialog({});
    w.chosen = {c, films.path() + "/gone.MP4", bad, a};
    w.OnCommand(MainWindow::kCmdOpen);

    EXPECT_EQ(listed(), (QStringList{a, bad, c}));  // the missing film is not listed
    EXPECT_EQ(listText(0, FilmListPane::kDateTimeColumn), "2024-05-01 10:00:00");
    ASSERT_EQ(w.CurrentFilm(), a);

    // The damaged film's box names it; once it is closed the next film plays.
    const QStringList boxes = ClosingBoxes([&] { w.filmView()->OnGraphEvent(1); });
    EXPECT_EQ(boxes, QStringList{"Render Error\n" + bad});
    EXPECT_EQ(w.CurrentFilm(), c);
    EXPECT_EQ(engine->calls.filter("Open").last(), "Open " + c);
    EXPECT_TRUE(engine->IsRunning());
    EXPECT_EQ(page.calls.last(), "play(0,1000)");

    // Several films dropped on the picture: listed oldest first, the oldest plays.
    list().OnDeleteAll();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(c), QUrl::fromLocalFile(a)});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.filmView(), &enter);  // makes the pane the drop's target
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.filmView(), &drop);
    EXPECT_EQ(listed(), (QStringList{a, c}));
    EXPECT_EQ(w.CurrentFilm(), a);
}

TEST_F(MainWindowTest, TheEndOfAFilmDuringALoadStartsNoSecondLoad) {
    // b's locator fails (read ahead on another thread while a plays); its box shows when b
    // loads.
    locators.type50 = [](const std::filesystem::path& film,
                         std::vector<VIDEO_GPS_RECORD_T>& records) -> bool {
        if (film.filename() == "b.MP4") throw std::bad_alloc();
        return LocateType50(film, records);
    };
    Window& w = make(20);
    w.InitDialog({});
    const QString a = CopyFilm(Type60Film(20), films.path(), "a.MP4");
    const QString b = CopyFilm(Type60Film(20), films.path(), "b.MP4");
    const QString c = CopyFilm(Type60Film(20), films.path(), "c.MP4");
    w.OpenFilms({a, b, c});
    ASSERT_EQ(w.CurrentFilm(), a);
    EXPECT_TRUE(w.messages.isEmpty());

    // The user picks b; its locator's box is up when a's end arrives.
    w.whileShown = [&] { w.filmView()->OnGraphEvent(1); };
    engine->calls.clear();
    list().List().SelectItem(1);
    list().OnDblClick();
    EXPECT_EQ(w.messages.size(), 1);
    EXPECT_EQ(w.CurrentFilm(), b);
    EXPECT_EQ(engine->calls.filter("Open"), QStringList{"Open " + b});
    EXPECT_EQ(list().List().GetFirstSelectedItem(), 1);
}

// The pictures in the film pane's video area that are on screen.
QList<VideoWidget*> ShownPictures(MainWindow& w) {
    QList<VideoWidget*> shown;
    for (VideoWidget* picture :
         w.filmView()->control(FilmView::kVideoAreaId)->findChildren<VideoWidget*>())
        if (picture->isVisible()) shown << picture;
    return shown;
}

TEST_F(MainWindowTest, TheNextFilmTakesOverFromTheLastFrameWithItsRecords) {
    // Three real films of 3, 4 and 3 seconds (one record a second), listed in that order.
    const auto filmOf = [](double seconds) {
        tf::TestFilmOptions options;
        options.durationSeconds = seconds;
        return tf::MakeTestFilm(options);
    };
    const QString a = CopyFilm(filmOf(3.0), films.path(), "a.MP4");
    const QString b = CopyFilm(filmOf(4.0), films.path(), "b.MP4");
    const QString c = CopyFilm(filmOf(3.0), films.path(), "c.MP4");
    const QDateTime morning(QDate(2024, 5, 1), QTime(10, 0));
    for (const QString& film : {a, b, c})
        SetWritten(film, morning.addSecs(film == a ? 0 : film == b ? 60 : 120));
    Window& w = make(0);
    w.InitDialog({});

    // What each end of a film left behind, at once, before any event was processed.
    struct AfterEnd {
        QString film;
        bool pictureWithFrame;
        std::size_t records;
        std::size_t speedValues;
        int selectedRow;
    };
    std::vector<AfterEnd> ends;
    w.afterNextFilm = [&] {
        const QList<VideoWidget*> shown = ShownPictures(w);
        ends.push_back({w.CurrentFilm(), shown.size() == 1 && shown.front()->hasFrame(),
                        w.SyncRecords().size(), dials().Speedometer().ValueCount(),
                        list().List().GetFirstSelectedItem()});
    };
    w.OpenFilms({a, b, c});
    ASSERT_EQ(w.CurrentFilm(), a);
    EXPECT_EQ(w.filmView()->engine().PreparedFilm(), b);
    ASSERT_TRUE(maptest::WaitFor([&] { return ends.size() == 3; }, 30000));

    // Each next film showed its first frame the moment it took over, with its own records.
    const AfterEnd expected[] = {{b, true, 4, 4, 1}, {c, true, 3, 3, 2}};
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(ends[i].film, expected[i].film);
        EXPECT_TRUE(ends[i].pictureWithFrame) << "hand-over " << i + 1;
        EXPECT_EQ(ends[i].records, expected[i].records);
        EXPECT_EQ(ends[i].speedValues, expected[i].speedValues);
        EXPECT_EQ(ends[i].selectedRow, expected[i].selectedRow);
    }
    // The last film stops, rewound, and nothing was made ready after it.
    EXPECT_EQ(ends[2].film, c);
    FilmEngine& engine = w.filmView()->engine();
    EXPECT_EQ(engine.GetState(), std::optional<int>(FilmEngine::Stopped));
    EXPECT_EQ(engine.GetPosition(), std::optional<double>(0.0));
    EXPECT_EQ(engine.PreparedFilm(), "");
}

TEST_F(MainWindowTest, TheFilmMadeReadyFollowsChangesOfTheList) {
    Window& w = make(20);
    w.InitDialog({});
    QStringList four;
    const QDateTime morning(QDate(2024, 5, 1), QTime(10, 0));
    for (const char* name : {"a.MP4", "b.MP4", "c.MP4", "d.MP4"}) {
        four << CopyFilm(Type60Film(20), films.path(), name);
        SetWritten(four.last(), morning.addSecs(60 * four.size()));
    }
    const QString &a = four[0], &b = four[1], &c = four[2], &d = four[3];
    const struct {
        const char* change;
        std::function<void()> act;
        QString playing;
        QString ready;  // made ready afterwards; empty: the playing film is the last
    } cases[] = {
        {"next film deleted",
         [&] {
             list().List().SelectItem(1);
             list().OnDelete();
         },
         a, c},
        {"another film chosen",
         [&] {
             list().List().SelectItem(2);
             list().OnDblClick();
         },
         c, d},
        {"list sorted backwards",
         [&] {
             list().List().OnColumnClick(FilmListPane::kNameColumn);
             list().List().OnColumnClick(FilmListPane::kNameColumn);
         },
         a, QString()},
    };
    for (const auto& change : cases) {
        SCOPED_TRACE(change.change);
        list().OnDeleteAll();
        w.OpenFilms(four);
        ASSERT_EQ(w.CurrentFilm(), a);
        ASSERT_EQ(engine->prepared, b);
        change.act();
        QApplication::processEvents();
        EXPECT_EQ(w.CurrentFilm(), change.playing);
        EXPECT_EQ(engine->prepared, change.ready);

        // The end hands over to the film made ready, or rewinds and stops the film when
        // none is.
        engine->calls.clear();
        page.calls.clear();
        w.filmView()->OnGraphEvent(1);
        if (change.ready.isEmpty()) {
            EXPECT_EQ(w.CurrentFilm(), change.playing);
            EXPECT_EQ(engine->calls.filter("Open").size(), 0);
            EXPECT_TRUE(engine->calls.contains("Stop"));
            EXPECT_EQ(engine->position, 0.0);
        } else {
            EXPECT_EQ(w.CurrentFilm(), change.ready);
            // No rewind of the ended film; the new one in the order of any load.
            EXPECT_EQ(engine->calls.mid(0, 2),
                      (QStringList{"Open " + change.ready, "Adopt " + change.ready}));
            EXPECT_EQ(page.calls.first(), "stop()");
            EXPECT_EQ(page.count("path_plot("), 20);
            EXPECT_EQ(page.calls.last(), "play(0,1000)");
            EXPECT_EQ(w.SyncRecords().size(), 20u);
        }
    }
    (void)b;
    (void)d;
}

TEST_F(MainWindowTest, TheOpenDialogOffersAllFilmsFirst) {
    const QString first = MainWindow::OpenFilter().split(";;").first();
    for (const char* ending : {"mp4", "MP4", "mov", "MOV", "avi", "AVI"})
        EXPECT_TRUE(first.contains(QStringLiteral("*.") + ending)) << ending;
}

TEST_F(MainWindowTest, RejectedSamplesLeaveMapAndInstrumentsHalted) {
    // Type 50, three seconds, the middle record damaged: two pass the check.
    tf::TestFilmOptions options;
    options.durationSeconds = 3.0;
    options.rows = tf::GenerateTrack(3);
    (*options.rows)[1].timeSum = 1;
    const QString film = CopyFilm(tf::MakeTestFilm(options), films.path(), "two.MOV");
    Window& w = make(3);
    w.InitDialog({});
    w.PlayFile(film);

    EXPECT_FALSE(w.hasSamples());
    EXPECT_EQ(page.count("play("), 0);
    EXPECT_EQ(page.calls.last(), "stop()");  // the rejected points are cleared again
    EXPECT_EQ(page.count("stop("), 2);
    EXPECT_FALSE(dials().Speedometer().Active());
    EXPECT_FALSE(dials().Chart().TimerRunning());
    EXPECT_EQ(w.SyncRecords().size(), 3u);  // the labels still read them
    page.calls.clear();
    w.ResumeSync("1");
    EXPECT_TRUE(page.calls.isEmpty());
    EXPECT_EQ(dials().Compass().Position(), 0);

    // An empty path changes nothing, not even the selection.
    w.PlayFile("");
    EXPECT_EQ(w.CurrentFilm(), film);
}

TEST_F(MainWindowTest, Type50PeriodCountsEveryRecordSoThePanesKeepTheFilmsSecond) {
    // Twelve records, three damaged: nine pass the check, so the film has samples, but
    // every record still stands for one second of the film. Dividing by the nine that
    // passed would step the panes a third too slowly.
    tf::TestFilmOptions options;
    options.durationSeconds = 12.0;
    options.rows = tf::GenerateTrack(12);
    for (std::size_t damaged : {2u, 5u, 9u}) (*options.rows)[damaged].timeSum = 1;
    const QString film = CopyFilm(tf::MakeTestFilm(options), films.path(), "nine.MOV");
    Window& w = make(24);
    w.InitDialog({});
    w.PlayFile(film);

    ASSERT_TRUE(w.hasSamples());
    EXPECT_EQ(w.SyncRecords().size(), 12u);
    EXPECT_EQ(w.samplePeriod(), 2000);  // 24 s * 1000 / 12 records, not / 9
    EXPECT_EQ(page.calls.last(), "play(0,2000)");
    for (int period :
         {dials().Chart().Period(), dials().Speedometer().Period(), dials().Compass().Period()})
        EXPECT_EQ(period, 2000);
}

TEST_F(MainWindowTest, LanguageAndUnitCommandsReTextAndRepaint) {
    Window& w = make();
    w.InitDialog({});
    EXPECT_EQ(w.windowTitle(), "Tesmira");
    EXPECT_TRUE(w.commandAction(MainWindow::kCmdLanguageEn)->isChecked());
    EXPECT_TRUE(w.commandAction(MainWindow::kCmdMapGoogle)->isChecked());
    EXPECT_TRUE(w.commandAction(MainWindow::kCmdUnitKmh)->isChecked());
    EXPECT_EQ(w.menuBar()->actions().at(0)->text(), "File");

    w.OnCommand(MainWindow::kCmdLanguageFr);
    EXPECT_EQ(ReadLanguage(), "fr");
    EXPECT_EQ(w.windowTitle(), "Tesmira | Tesmira");
    EXPECT_EQ(w.menuBar()->actions().at(0)->text(), "Fichier");
    EXPECT_TRUE(w.commandAction(MainWindow::kCmdLanguageFr)->isChecked());
    EXPECT_FALSE(w.commandAction(MainWindow::kCmdLanguageEn)->isChecked());
    EXPECT_TRUE(maptest::WaitFor([&] { return w.mapView()->ShownPageId() == 176; }));
    auto* stop = qobject_cast<QAbstractButton*>(w.filmView()->control(FilmView::kStopId));
    ASSERT_TRUE(stop);
    EXPECT_NE(stop->text(), "stop");  // the film pane re-texted as its own dialog
    const QString header = w.filmList()->List().model()->headerData(1, Qt::Horizontal).toString();
    EXPECT_NE(header, "Name");

    // Units: the setting changes and both the label and the dial show it at once.
    const QString film = CopyFilm(Type60Film(180), films.path(), "u.mp4");
    w.PlayFile(film);
    w.filmView()->RefreshTick();
    auto* speed = qobject_cast<OverlayLabel*>(w.filmView()->control(FilmView::kSpeedLabelId));
    ASSERT_TRUE(speed);
    EXPECT_TRUE(speed->text().endsWith("KM")) << speed->text().toStdString();
    w.OnCommand(MainWindow::kCmdUnitMph);
    EXPECT_EQ(ReadUnit(), "MPH");
    EXPECT_TRUE(w.commandAction(MainWindow::kCmdUnitMph)->isChecked());
    EXPECT_FALSE(w.commandAction(MainWindow::kCmdUnitKmh)->isChecked());
    EXPECT_TRUE(speed->text().endsWith("M") && !speed->text().endsWith("KM"))
        << speed->text().toStdString();

    // Baidu and back: the settings' map value follows.
    // Re-texting while the film runs leaves the button offering to pause.
    w.OnCommand(MainWindow::kCmdLanguageRu);
    auto* playPause = qobject_cast<QAbstractButton*>(w.filmView()->control(FilmView::kPlayPauseId));
    EXPECT_EQ(playPause->text(), w.filmView()->pauseText());
    EXPECT_NE(playPause->text(), w.filmView()->playText());
    w.OnCommand(MainWindow::kCmdLanguageFr);

    w.OnCommand(MainWindow::kCmdMapBaidu);
    EXPECT_EQ(ReadMap(), "baidu");
    EXPECT_EQ(MapProvider(), kMapBaidu);
    EXPECT_FALSE(w.commandAction(MainWindow::kCmdMapGoogle)->isChecked());
    EXPECT_TRUE(maptest::WaitFor([&] { return w.mapView()->ShownPageId() == 160; }));
    w.OnCommand(MainWindow::kCmdMapGoogle);
    EXPECT_EQ(ReadMap(), "google");
    EXPECT_EQ(MapProvider(), kMapGoogle);
    EXPECT_TRUE(maptest::WaitFor([&] { return w.mapView()->ShownPageId() == 176; }));

    // OpenStreetMap: checked alone, kept in the settings, shown at once and again after a
    // language change and a restart.
    w.OnCommand(MainWindow::kCmdMapOsm);
    EXPECT_EQ(ReadMap(), "osm");
    EXPECT_EQ(MapProvider(), kMapOsm);
    EXPECT_EQ(w.mapView()->ShownPageId(), kOsmPageId);
    EXPECT_FALSE(w.commandAction(MainWindow::kCmdMapGoogle)->isChecked());
    EXPECT_FALSE(w.commandAction(MainWindow::kCmdMapBaidu)->isChecked());
    EXPECT_TRUE(w.commandAction(MainWindow::kCmdMapOsm)->isChecked());
    w.OnCommand(MainWindow::kCmdLanguageEn);
    EXPECT_EQ(w.mapView()->ShownPageId(), kOsmPageId);
    EXPECT_EQ(w.commandAction(MainWindow::kCmdMapOsm)->text(), "OpenStreetMap");
    SetMapProvider(kMapGoogle);
    Window& again = make();
    again.InitDialog({});
    EXPECT_EQ(MapProvider(), kMapOsm);
    EXPECT_TRUE(again.commandAction(MainWindow::kCmdMapOsm)->isChecked());
    EXPECT_FALSE(again.commandAction(MainWindow::kCmdMapGoogle)->isChecked());
}

// In each language the transport buttons show their whole texts, the time text of a paused
// film keeps its second, and a screenshot says where it went.
TEST_F(MainWindowTest, EveryLanguageFitsTheButtonsAndKeepsThePausedSecond) {
    Window& w = make();
    w.InitDialog({});
    w.PlayFile(CopyFilm(Type60Film(180), films.path(), "p.mp4"));
    FilmView& view = *w.filmView();
    engine->position = 65.4;
    view.PlayPause();
    ASSERT_EQ(engine->GetState(), FilmEngine::Paused);
    auto* time = qobject_cast<QLabel*>(view.control(FilmView::kTimeTextId));
    ASSERT_TRUE(time);
    // The width a button has for its text, inside frame and margins.
    const auto room = [](QWidget* button) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = button->rect();
        return button->style()
            ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
            .width();
    };
    const auto needs = [](QWidget* button, const QString& text) {
        return button->fontMetrics().horizontalAdvance(text);
    };
    const struct {
        const char* code;
        const char* notice;
    } languages[] = {
        {"en", "Screenshot saved: "},
        {"zh-CN", "截图已保存："},
        {"zh-TW", "截圖已儲存："},
        {"ru", "Снимок экрана сохранён: "},
        {"fr", "Capture d'écran enregistrée : "},
    };
    for (const auto& l : languages) {
        SCOPED_TRACE(l.code);
        w.ChangeLanguage(QString::fromLatin1(l.code));
        EXPECT_EQ(time->text(), "00:01:05/00:02:00");
        QWidget* playPause = view.control(FilmView::kPlayPauseId);
        QWidget* stop = view.control(FilmView::kStopId);
        const QString stopText = qobject_cast<QPushButton*>(stop)->text();
        for (const QString& text : {view.playText(), view.pauseText()})
            EXPECT_LE(needs(playPause, text), room(playPause)) << text.toStdString();
        EXPECT_LE(needs(stop, stopText), room(stop)) << stopText.toStdString();
        view.SaveScreenshot();
        EXPECT_TRUE(view.notice()->isVisible());
        EXPECT_TRUE(view.notice()->text().startsWith(QString::fromUtf8(l.notice)))
            << view.notice()->text().toStdString();
    }
}

// The player's keys reach the film wherever the focus is; a list keeps its row keys. The
// menu opens with Ctrl+O and quits with Ctrl+Q.
TEST_F(MainWindowTest, PlayerKeysWorkWhereverTheFocusIs) {
    Window& w = make();
    w.InitDialog({});
    w.OpenFilms({CopyFilm(Type60Film(180), films.path(), "k.mp4")});
    ASSERT_EQ(list().List().GetItemCount(), 1);
    QWidget* rows = &list().List();
    QWidget* map = &w.mapView()->Browser();
    const auto press = [](QWidget* target, Qt::Key key) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &up);
    };
    const struct {
        const char* where;
        QWidget* target;
        Qt::Key key;
        bool seeks;
    } cases[] = {
        {"list, right", rows, Qt::Key_Right, true},
        {"list, up is the list's", rows, Qt::Key_Up, false},
        {"list, down is the list's", rows, Qt::Key_Down, false},
        {"map, right", map, Qt::Key_Right, true},
        {"map, up", map, Qt::Key_Up, true},
    };
    for (const auto& c : cases) {
        engine->seeks.clear();
        press(c.target, c.key);
        EXPECT_EQ(!engine->seeks.empty(), c.seeks) << c.where;
    }
    press(map, Qt::Key_Space);
    EXPECT_EQ(engine->GetState(), FilmEngine::Paused);
    press(rows, Qt::Key_Space);
    EXPECT_EQ(engine->GetState(), FilmEngine::Running);
    press(rows, Qt::Key_Delete);
    EXPECT_EQ(list().List().GetItemCount(), 0);

    EXPECT_EQ(w.commandAction(MainWindow::kCmdOpen)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* exit = w.commandAction(kFileExitCommand);
    ASSERT_TRUE(exit);
    EXPECT_EQ(exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    exit->trigger();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindowTest, APageThatReplacesAnotherDuringAFilmGetsTheTrackAndTheMarkersSecond) {
    const QString film = CopyFilm(Type60Film(30), films.path(), "t.mp4");
    Window& w = make(30);
    w.InitDialog({});
    w.PlayFile(film);
    const QStringList googleTexts = page.calls.filter("path_plot(");
    ASSERT_EQ(googleTexts.size(), 30);
    BrowserView& browser = w.mapView()->Browser();
    // Switches, then waits until the new page has loaded; what it was sent since.
    const auto sentAfter = [&](const std::function<void()>& change) {
        page.calls.clear();
        QSignalSpy ready(&browser, &BrowserView::pageReady);
        change();
        EXPECT_TRUE(maptest::WaitFor([&] { return ready.count() > 0; }, 8000));
        // A refresh tick during the load may leave the loading page a kept play first;
        // what is checked is the re-send, which starts with stop().
        const qsizetype start = page.calls.indexOf("stop()");
        return start < 0 ? page.calls : page.calls.mid(start);
    };

    engine->position = 12.4;  // running
    QStringList sent = sentAfter([&] { w.OnCommand(MainWindow::kCmdMapBaidu); });
    ASSERT_EQ(sent.size(), 32) << sent.join(' ').toStdString();
    EXPECT_EQ(sent.first(), "stop()");
    EXPECT_EQ(sent.last(), "play(12,1000)");
    const QStringList baiduTexts = sent.filter("path_plot(");
    EXPECT_EQ(baiduTexts.at(5), "path_plot(V,V)");
    EXPECT_NE(baiduTexts.at(0), googleTexts.at(0));  // shifted for Baidu, not as loaded

    // Paused: the marker waits at the film's second.
    w.filmView()->PlayPause();
    engine->position = 20.7;
    sent = sentAfter([&] { w.OnCommand(MainWindow::kCmdLanguageFr); });
    EXPECT_EQ(sent.filter("path_plot("), baiduTexts);
    EXPECT_EQ(sent.mid(sent.size() - 2), QStringList({"play(20,1000)", "pause()"}));

    sent = sentAfter([&] { w.OnCommand(MainWindow::kCmdMapGoogle); });
    EXPECT_EQ(sent.filter("path_plot("), googleTexts);
    EXPECT_EQ(sent.last(), "pause()");
}

TEST_F(MainWindowTest, AClickOnAnotherFilmsTripLinePlaysItFromThatSecondWithEveryPaneInStep) {
    const QString a = CopyFilm(Type60Film(20), films.path(), "a.mp4");
    QThread::msleep(1100);
    const QString b = CopyFilm(Type60Film(20), films.path(), "b.mp4");
    Window& w = make(20);
    w.InitDialog({});
    ASSERT_FALSE(w.commandAction(MainWindow::kCmdWholeTrip)->isChecked());
    w.commandAction(MainWindow::kCmdWholeTrip)->trigger();
    EXPECT_TRUE(w.commandAction(MainWindow::kCmdWholeTrip)->isChecked());
    EXPECT_TRUE(ReadWholeTrip());
    w.OpenFilms({a, b});
    ASSERT_EQ(w.CurrentFilm(), a);
    // Both films reach the page, the second read in the background; the first on top.
    const int idA = w.tripFilmId(a);
    ASSERT_TRUE(
        maptest::WaitFor([&] { return w.tripFilmId(b) != 0 && w.trip().Has(w.tripFilmId(b)); }));
    const int idB = w.tripFilmId(b);
    ASSERT_TRUE(maptest::WaitFor([&] { return page.calls.filter("trip_fit(").size() == 1; }));
    const QString sent = page.calls.filter("trip_add(").join(' ');
    EXPECT_TRUE(sent.contains(QStringLiteral("\"id\":%1,").arg(idA)));
    EXPECT_TRUE(sent.contains(QStringLiteral("\"id\":%1,").arg(idB)));
    EXPECT_TRUE(page.calls.contains(QStringLiteral("trip_highlight(%1)").arg(idA)));

    // The user's click comes back from the page as an "app:" link.
    QWebEnginePage* shown = w.mapView()->Browser().page();
    ASSERT_TRUE(maptest::WaitFor([&] { return w.mapView()->Browser().IsPageReady(); }, 8000));
    const auto click = [&](const QString& link) {
        maptest::Eval(shown, QStringLiteral("location.href = '%1'").arg(link));
        maptest::WaitFor([] { return false; }, 200);
    };
    page.calls.clear();
    click(QStringLiteral("app:trip/%1/7").arg(idB));
    ASSERT_EQ(w.CurrentFilm(), b);
    EXPECT_EQ(list().List().GetFirstSelectedItem(), 1);
    EXPECT_EQ(engine->position, 7.0);
    expectPanesAt(7);
    EXPECT_TRUE(timeText().startsWith("00:00:07/")) << timeText().toStdString();
    EXPECT_TRUE(page.calls.contains(QStringLiteral("trip_highlight(%1)").arg(idB)));

    // On the playing film's own line the film only seeks; paused, it stays paused.
    w.filmView()->PlayPause();
    const int opens = static_cast<int>(engine->calls.filter("Open").size());
    click(QStringLiteral("app:trip/%1/12").arg(idB));
    EXPECT_EQ(engine->calls.filter("Open").size(), opens);
    EXPECT_EQ(engine->position, 12.0);
    EXPECT_FALSE(engine->IsRunning());
    expectPanesAt(12);

    // An event mark lands a few seconds before the event, as the event keys do.
    click(QStringLiteral("app:event/%1/10").arg(idA));
    ASSERT_EQ(w.CurrentFilm(), a);
    EXPECT_EQ(engine->position, 7.0);
    expectPanesAt(7);

    // A film deleted from the list leaves the map, and a click on it does nothing.
    list().List().SelectItem(1);
    list().OnDelete();
    QApplication::processEvents();
    EXPECT_TRUE(page.calls.contains(QStringLiteral("trip_remove(%1)").arg(idB)));
    click(QStringLiteral("app:trip/%1/3").arg(idB));
    EXPECT_EQ(w.CurrentFilm(), a);
    EXPECT_EQ(engine->position, 7.0);

    // A page that replaces the shown one gets the trip again, fitted; switched off, it goes.
    page.calls.clear();
    QSignalSpy ready(&w.mapView()->Browser(), &BrowserView::pageReady);
    w.OnCommand(MainWindow::kCmdMapBaidu);
    ASSERT_TRUE(maptest::WaitFor([&] { return ready.count() > 0; }, 8000));
    ASSERT_TRUE(maptest::WaitFor([&] { return page.calls.filter("trip_fit(").size() == 1; }));
    const QStringList again = page.calls.filter("trip_add(");
    ASSERT_EQ(again.size(), 1);
    EXPECT_TRUE(again[0].contains(QStringLiteral("\"id\":%1,").arg(idA)));
    EXPECT_FALSE(again[0].contains(QStringLiteral("\"id\":%1,").arg(idB)));
    EXPECT_TRUE(page.calls.contains(QStringLiteral("trip_highlight(%1)").arg(idA)));
    page.calls.clear();
    w.OnCommand(MainWindow::kCmdWholeTrip);
    EXPECT_EQ(page.calls, QStringList{"trip_clear()"});
    EXPECT_FALSE(w.commandAction(MainWindow::kCmdWholeTrip)->isChecked());
    EXPECT_FALSE(ReadWholeTrip());
}

TEST_F(MainWindowTest, TheOfflinePagesLinkSelectsOpenStreetMapAsTheMenuDoes) {
    Window& w = make(120, "127.0.0.1:1");  // nobody answers there
    w.InitDialog({});
    QWebEnginePage* shown = w.mapView()->Browser().page();
    ASSERT_TRUE(maptest::WaitFor([&] {
        return w.mapView()->ShownPageId() == kOfflinePageId &&
               maptest::Eval(shown, "document.getElementById('osm') !== null").toBool();
    }));
    maptest::Eval(shown, "document.getElementById('osm').click()");

    ASSERT_TRUE(maptest::WaitFor([&] { return w.mapView()->ShownPageId() == kOsmPageId; }));
    EXPECT_EQ(ReadMap(), "osm");
    EXPECT_EQ(MapProvider(), kMapOsm);
    EXPECT_TRUE(w.commandAction(MainWindow::kCmdMapOsm)->isChecked());
    EXPECT_FALSE(w.commandAction(MainWindow::kCmdMapGoogle)->isChecked());
    EXPECT_FALSE(w.commandAction(MainWindow::kCmdMapBaidu)->isChecked());
}

TEST_F(MainWindowTest, CommandLineFilms) {
    const QString b = CopyFilm(Type60Film(180), films.path(), "b.MP4");
    QThread::msleep(1100);
    const QString a = CopyFilm(Type60Film(180), films.path(), "a.mp4");
    const QString spaced = CopyFilm(Type60Film(180), films.path(), "my film.MP4");
    const QString oddCase = CopyFilm(Type60Film(180), films.path(), "c.Mp4");
    const QString gone = films.path() + "/gone.MP4";
    const struct {
        QStringList arguments;
        QString plays;  // empty: nothing plays
        QStringList listed;
    } cases[] = {
        {{"\"" + a + "\""}, a, {a}},            // quotes removed
        {{oddCase}, "", {}},                    // the ending test is case-sensitive
        {spaced.split(' '), spaced, {spaced}},  // together they name one file
        {{a, b, oddCase}, b, {b, a}},           // several: all listed, the oldest plays
        {{"a.mp4", "b.MP4"}, b, {b, a}},        // names in the working folder
        {{"./sub/../a.mp4"}, a, {a}},
        {{gone}, "", {}},  // a missing film is not listed
        {{"gone.MP4", "a.mp4"}, a, {a}},
    };
    const QString working = QDir::currentPath();
    QDir(films.path()).mkdir("sub");
    QDir::setCurrent(films.path());
    for (const auto& c : cases) {
        page.calls.clear();
        Window& w = make();
        w.InitDialog(c.arguments);
        EXPECT_EQ(w.CurrentFilm(), c.plays) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(listed(), c.listed) << c.arguments.join(' ').toStdString();
    }
    QDir::setCurrent(working);
}

// A camera's card: films nested in folders, written an hour apart (the camera's time, as
// a copy keeps it), beside a file and a film the ending rule refuses. Returns the films
// oldest first.
QStringList MakeCard(const QString& card, const QDateTime& start) {
    const struct {
        const char* path;
        double seconds;
        int hour;  // written this many hours after start
    } films[] = {
        {"DCIM/Movie/2024_0501_0900.MP4", 5.0, 2},
        {"Normal/Front/F0001.mov", 4.0, 1},
        {"Event/Rear/R0001.MOV", 6.0, 3},
    };
    QStringList oldestFirst(3);
    for (const auto& film : films) {
        tf::TestFilmOptions options;
        options.placement = tf::RecordPlacement::Type60;
        options.withAudio = false;
        options.durationSeconds = film.seconds;
        const QString path = card + "/" + film.path;
        QDir().mkpath(QFileInfo(path).path());
        const QString copied =
            CopyFilm(tf::MakeTestFilm(options), QFileInfo(path).path(), QFileInfo(path).fileName());
        SetWritten(copied, start.addSecs(3600 * film.hour));
        oldestFirst[film.hour - 1] = copied;
    }
    QFile notes(card + "/Event/notes.txt");
    EXPECT_TRUE(notes.open(QIODevice::WriteOnly));
    CopyFilm(Type60Film(3), card + "/Event", "odd.Mp4");
    return oldestFirst;
}

// A folder named on the command line beside a film: the folder's films and the film
// are listed oldest first and the oldest plays; every row shows its time, read from
// the film's header without the film being opened.
TEST_F(MainWindowTest, AFolderOnTheCommandLineBesideAFilmListsEveryFilmWithItsTime) {
    const QDateTime start = QDateTime::currentDateTime().addDays(-1);
    const QStringList card = MakeCard(films.path() + "/card", start);
    const QString beside = CopyFilm(Type60Film(3), films.path(), "later.mp4");
    SetWritten(beside, start.addSecs(3600 * 4));

    Window& w = make(120);
    w.InitDialog({films.path() + "/card", beside});
    EXPECT_EQ(listed(), card + QStringList{beside});
    EXPECT_EQ(w.CurrentFilm(), card[0]);
    EXPECT_EQ(engine->calls.filter("Open"), QStringList{"Open " + card[0]});

    const auto times = [&] {
        QStringList texts;
        for (int r = 0; r < list().List().GetItemCount(); ++r)
            texts << listText(r, FilmListPane::kTimeColumn);
        return texts;
    };
    EXPECT_TRUE(maptest::WaitFor([&] { return !times().contains(""); }));
    // The playing film's time is the engine's; the others' are their headers'.
    EXPECT_EQ(times(), QStringList({"00:02:00", "00:00:05", "00:00:06", "00:00:03"}));
    EXPECT_EQ(engine->calls.filter("Open").size(), 1);
}

// Every listed film's records are read once, away from the UI thread, in list order; a film
// deleted before its turn is never kept, one added later is read when its turn comes.
TEST_F(MainWindowTest, ListedFilmsRecordsAreReadInTheBackgroundInListOrder) {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    QStringList readInBackground;
    locators.type60 = [&](const std::filesystem::path& film,
                          std::vector<VIDEO_GPS_RECORD_T>& records) {
        // The listed films' reader, not the load nor the next film's read-ahead.
        char thread[16] = {};
        pthread_getname_np(pthread_self(), thread, sizeof thread);
        if (std::string_view(thread) == FilmReadQueue::kReaderThreadName) {
            std::unique_lock lock(mutex);
            opened.wait_for(lock, std::chrono::seconds(10), [&] { return open; });
            readInBackground << QString::fromStdString(film.filename().string());
        }
        return LocateType60(film, records);
    };
    const QDateTime start = QDateTime::currentDateTime().addDays(-1);
    const QString a = CopyFilm(BumpyFilm(30, {10}), films.path(), "a.mp4");
    const QString b = CopyFilm(BumpyFilm(30, {4, 20}), films.path(), "b.mp4");
    const QString c = CopyFilm(BumpyFilm(30, {}), films.path(), "c.mp4");
    for (int i = 0; const QString& film : {a, b, c}) SetWritten(film, start.addSecs(60 * i++));
    Window& w = make(30);
    w.InitDialog({});
    QSignalSpy read(&w, &MainWindow::filmRecordsRead);
    w.OpenFilms({a, b});
    // The playing film's records come from its load, at once.
    ASSERT_TRUE(w.ListedFilmRecords(a));
    EXPECT_EQ(w.ListedFilmRecords(a)->events, std::vector<int>{10});
    EXPECT_EQ(w.ListedFilmRecords(a)->track.size(), 30u);

    list().List().SelectItem(1);
    list().OnDelete();
    ASSERT_EQ(listed(), QStringList{a});
    QApplication::processEvents();
    w.AddFileToList(c);
    {
        const std::lock_guard lock(mutex);
        open = true;
    }
    opened.notify_all();
    ASSERT_TRUE(maptest::WaitFor([&] { return w.ListedFilmRecords(c) != nullptr; }));

    EXPECT_EQ(w.ListedFilmRecords(b), nullptr);
    EXPECT_TRUE(w.ListedFilmRecords(c)->hasRecords);
    EXPECT_TRUE(w.ListedFilmRecords(c)->events.empty());
    EXPECT_TRUE(std::is_sorted(readInBackground.begin(), readInBackground.end()))
        << readInBackground.join(' ').toStdString();
    EXPECT_EQ(readInBackground.last(), "c.mp4");
    QStringList announced;
    for (const QList<QVariant>& batch : read) announced << batch.at(0).toStringList();
    EXPECT_EQ(announced, QStringList({a, c}));
}

// PgDn / PgUp land 3 s before the next / previous event, wherever the focus is, and go on
// to the neighbouring listed film with events at a film's ends; past the last event of the
// list they do nothing. The events show as slider ticks, chart marks and the list's counts.
TEST_F(MainWindowTest, PageKeysJumpBetweenEventsAcrossTheListedFilms) {
    const QDateTime start = QDateTime::currentDateTime().addDays(-1);
    const QString a = CopyFilm(BumpyFilm(30, {10}), films.path(), "a.mp4");
    const QString plain = CopyFilm(BumpyFilm(30, {}), films.path(), "plain.mp4");
    const QString b = CopyFilm(BumpyFilm(30, {4, 20}), films.path(), "b.mp4");
    for (int i = 0; const QString& film : {a, plain, b}) SetWritten(film, start.addSecs(60 * i++));
    Window& w = make(30);
    w.InitDialog({});
    w.OpenFilms({a, plain, b});
    ASSERT_TRUE(maptest::WaitFor([&] { return w.ListedFilmRecords(b) != nullptr; }));
    const auto events = [&] {
        QStringList counts;
        for (int r = 0; r < list().List().GetItemCount(); ++r)
            counts << listText(r, FilmListPane::kEventsColumn);
        return counts;
    };
    EXPECT_EQ(events(), QStringList({"1", "0", "2"}));
    EXPECT_EQ(w.filmView()->EventMarks(), std::vector<int>{333});  // 10 s of 30
    EXPECT_EQ(dials().Chart().Model().Marks(), std::vector<int>{10});

    QWidget* rows = &list().List();
    QWidget* map = &w.mapView()->Browser();
    QWidget* slider = w.filmView()->control(FilmView::kProgressId);
    const struct {
        Qt::Key key;
        QWidget* target;
        const QString& film;
        double position;  // where the film is afterwards
    } steps[] = {
        {Qt::Key_PageDown, rows, a, 7.0},     // 3 s before a's event at 10
        {Qt::Key_PageDown, map, b, 1.0},      // past a's last: b's first (4), plain passed over
        {Qt::Key_PageDown, slider, b, 17.0},  // b's 20
        {Qt::Key_PageDown, rows, b, 17.0},    // nothing further: stays
        {Qt::Key_PageUp, rows, b, 1.0},       // back to 4
        {Qt::Key_PageUp, map, a, 7.0},        // before b's first: a's last
        {Qt::Key_PageUp, slider, a, 7.0},     // nothing before: stays
    };
    for (const auto& step : steps) {
        press(step.target, step.key);
        EXPECT_EQ(w.CurrentFilm(), step.film) << step.position;
        EXPECT_DOUBLE_EQ(engine->position, step.position) << step.film.toStdString();
    }
    EXPECT_EQ(w.filmView()->EventMarks(), std::vector<int>{333});
    expectPanesAt(7);
}

// File > Open Folder, right after Open: the folder is listed as a choice of its films in
// Open is; a cancelled choice changes nothing. (A folder dropped on the picture or the list
// reaches the same OpenFilms.)
TEST_F(MainWindowTest, OpenFolderListsTheFolderOldestFirst) {
    const QStringList card =
        MakeCard(films.path() + "/card", QDateTime::currentDateTime().addDays(-1));
    Window& w = make(120);
    w.InitDialog({});
    QMenu* file = w.menuBar()->actions().at(0)->menu();
    ASSERT_GE(file->actions().size(), 2);
    EXPECT_EQ(file->actions().at(1), w.commandAction(MainWindow::kCmdOpenFolder));
    EXPECT_EQ(file->actions().at(1)->text(), QString::fromUtf8("Open Folder\u2026"));

    w.OnCommand(MainWindow::kCmdOpenFolder);  // cancelled
    EXPECT_TRUE(listed().isEmpty());
    w.chosenFolder = films.path() + "/card/Event";
    w.OnCommand(MainWindow::kCmdOpenFolder);
    EXPECT_EQ(listed(), QStringList{card[2]});
    w.chosenFolder = films.path() + "/card";
    w.OnCommand(MainWindow::kCmdOpenFolder);
    EXPECT_EQ(listed(), (QStringList{card[2], card[0], card[1]}));  // each choice appends
    EXPECT_EQ(w.CurrentFilm(), card[0]);
}

TEST_F(MainWindowTest, CommandLineFilmTrackReachesThePageThatWasStillLoading) {
    const QString film = CopyFilm(Type60Film(20), films.path(), "start.mp4");
    MainWindow::Options options;
    options.makeEngine = [this] {
        auto made = std::make_unique<FakeEngine>();
        made->duration = 20;
        engine = made.get();
        return made;
    };
    options.mapCheckHosts = {{"maps.googleapis.com", provider.host()}};
    options.screenSize = QSize(1366, 768);
    window = std::make_unique<Window>(options);
    window->InitDialog({film});  // the film loads before the page has answered
    ASSERT_EQ(window->CurrentFilm(), film);

    QWebEnginePage* shown = window->mapView()->Browser().page();
    ASSERT_TRUE(maptest::WaitFor(
        [&] {
            const QJsonDocument state = maptest::StubState(shown);
            return maptest::StateList(state, "lines").size() >= 1;
        },
        15000));
    EXPECT_EQ(window->mapView()->ShownPageId(), 156);
    EXPECT_EQ(maptest::Eval(shown, "lCoordinateX.length").toInt(), 20);
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Runs the menu's export with the save dialog answering `choice`; true once it has ended.
bool RunExport(Window& w, int command, const QString& path, ExportFormat format) {
    w.exportChoice = {path, format};
    QSignalSpy done(&w, &MainWindow::trackExportFinished);
    w.OnCommand(command);
    return done.count() > 0 || done.wait(60000);
}

TEST_F(MainWindowTest, ExportOfThePlayingFilmIsWhatTheCommandLineWrites) {
    const QString film = CopyFilm(Type60Film(8), films.path(), "drive.MP4");
    Window& w = make(120);
    w.InitDialog({film});
    const struct {
        ExportFormat format;
        const char* ending;
    } formats[] = {{ExportFormat::Gpx, "gpx"},
                   {ExportFormat::Kml, "kml"},
                   {ExportFormat::Csv, "csv"},
                   {ExportFormat::Json, "json"}};
    for (const auto& f : formats) {
        const QString out = films.path() + "/window." + f.ending;
        ASSERT_TRUE(RunExport(w, MainWindow::kCmdExportTrack, out, f.format));
        const QString cli = films.path() + "/cli." + f.ending;
        std::FILE* err = std::tmpfile();
        ASSERT_EQ(RunTrackExport({f.format, film.toStdString(), cli.toStdString()}, stdout, err,
                                 locators),
                  0);
        std::fclose(err);
        EXPECT_EQ(FileBytes(out), FileBytes(cli)) << f.ending;
    }
    EXPECT_TRUE(w.messages.isEmpty());
    EXPECT_EQ(w.exportTitle, "Export the track of the playing film");
    EXPECT_EQ(w.exportSuggested, films.path() + "/drive");
    EXPECT_FALSE(w.exporting());
}

// The JSON's events are those the window shows: at the user's threshold, not the default.
TEST_F(MainWindowTest, ExportedEventsFollowTheUsersThreshold) {
    ASSERT_TRUE(WriteSettings({{"EventG", "2"}}));
    const QString film = CopyFilm(BumpyFilm(20, {10}), films.path(), "bump.MP4");
    Window& w = make(20);
    w.InitDialog({film});
    ASSERT_TRUE(w.ListedFilmRecords(film));
    ASSERT_TRUE(w.ListedFilmRecords(film)->events.empty());  // a 1 g bump is under 2 g

    const QString out = films.path() + "/window.json";
    ASSERT_TRUE(RunExport(w, MainWindow::kCmdExportTrack, out, ExportFormat::Json));
    const QString cli = films.path() + "/cli.json";
    std::FILE* err = std::tmpfile();
    ASSERT_EQ(RunTrackExport({ExportFormat::Json, film.toStdString(), cli.toStdString(), 2.0},
                             stdout, err, locators),
              0);
    std::fclose(err);
    EXPECT_EQ(FileBytes(out), FileBytes(cli));
    EXPECT_TRUE(QJsonDocument::fromJson(FileBytes(out))["events"].toArray().isEmpty());

    const QString all = films.path() + "/all.json";
    ASSERT_TRUE(RunExport(w, MainWindow::kCmdExportAllTracks, all, ExportFormat::Json));
    EXPECT_TRUE(
        QJsonDocument::fromJson(FileBytes(all))["films"][0]["track"]["events"].toArray().isEmpty());
}

TEST_F(MainWindowTest, ExportOfAllListedFilmsIsOneDocumentOfTheFilmsWithRecords) {
    tf::TestFilmOptions bare;
    bare.placement = tf::RecordPlacement::None;
    bare.withAudio = false;
    const QString a = CopyFilm(Type60Film(4), films.path(), "a.MP4");
    const QString none = CopyFilm(tf::MakeTestFilm(bare), films.path(), "none.MP4");
    const QString b = CopyFilm(Type60Film(3), films.path(), "b.MP4");
    Window& w = make(120);
    w.InitDialog({});
    w.chosen = {a, none, b};
    w.OnCommand(MainWindow::kCmdOpen);
    ASSERT_EQ(listed().size(), 3);

    const QString out = films.path() + "/trip.gpx";
    ASSERT_TRUE(RunExport(w, MainWindow::kCmdExportAllTracks, out, ExportFormat::Gpx));
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join('|').toStdString();
    EXPECT_EQ(w.exportTitle, "Export the tracks of all listed films");
    // The films with records, in the list's order, each one segment.
    std::vector<FilmSamples> read;
    std::vector<TrackExportInput> inputs;
    read.reserve(3);
    for (const QString& film : listed()) {
        FilmSamples samples = LoadFilmSamples(film.toStdString(), [](const std::string&) {});
        if (samples.samples.empty()) continue;
        read.push_back(std::move(samples));
        inputs.push_back(
            {&read.back(), &read.back().records, QFileInfo(film).fileName().toStdString()});
    }
    ASSERT_EQ(inputs.size(), 2u);
    const QByteArray document = FileBytes(out);
    EXPECT_EQ(document.toStdString(), ExportTracks(ExportFormat::Gpx, inputs, "trip"));
    EXPECT_EQ(document.count("<trkseg>"), 2);
    EXPECT_EQ(document.count("<trkpt "), 7);

    // Refused or failed: a message box, and nothing changed.
    ASSERT_TRUE(RunExport(w, MainWindow::kCmdExportAllTracks, b, ExportFormat::Csv));
    ASSERT_TRUE(RunExport(w, MainWindow::kCmdExportAllTracks, films.path() + "/gone/trip.kml",
                          ExportFormat::Kml));
    EXPECT_EQ(w.messages, (QStringList{b + " is one of the films: nothing was written.",
                                       "The track could not be written to " + films.path() +
                                           "/gone/trip.kml:\nNo such file or directory"}));
    EXPECT_EQ(FileBytes(b), FileBytes(QString::fromStdString(Type60Film(3).string())));
}

// Moves and resizes, splitters and volume as the user leaves them, then a new run.
TEST_F(MainWindowTest, GeometrySplittersAndVolumeAreKeptAndRestored) {
    screens = {QRect(0, 0, 1920, 1080)};
    Window& w = make(120);
    w.InitDialog({});
    w.setGeometry(150, 160, 1000, 700);
    QApplication::processEvents();
    w.outerSplitter()->setSizes({480, 200});
    w.upperSplitter()->setSizes({600, 390});
    w.rightSplitter()->setSizes({300, 170});
    w.filmView()->SetVolume(-2500);
    // Nothing is written while the window moves on: only after a pause, or at close.
    for (int x = 151; x < 200; ++x) w.setGeometry(x, 160, 1000, 700);
    w.setGeometry(150, 160, 1000, 700);
    QApplication::processEvents();
    EXPECT_EQ(ReadSetting("WindowGeometry"), "");
    const QList<int> outer = w.outerSplitter()->sizes();
    const QList<int> upper = w.upperSplitter()->sizes();
    const QList<int> right = w.rightSplitter()->sizes();
    w.close();
    EXPECT_EQ(ReadSetting("WindowGeometry"), "150,160,1000,700");
    EXPECT_EQ(ReadSetting("WindowMaximized"), "0");
    EXPECT_EQ(ReadSetting("Volume"), "-2500");

    Window& again = make(120);
    again.InitDialog({});
    QApplication::processEvents();
    EXPECT_EQ(again.geometry(), QRect(150, 160, 1000, 700));
    EXPECT_EQ(again.outerSplitter()->sizes(), outer);
    EXPECT_EQ(again.upperSplitter()->sizes(), upper);
    EXPECT_EQ(again.rightSplitter()->sizes(), right);
    EXPECT_EQ(again.filmView()->Volume(), -2500);

    // Maximised: kept as such, with the normal geometry beneath.
    again.showMaximized();
    QApplication::processEvents();
    again.close();
    EXPECT_EQ(ReadSetting("WindowMaximized"), "1");
    EXPECT_EQ(ReadSetting("WindowGeometry"), "150,160,1000,700");
    Window& third = make(120);
    third.InitDialog({});
    QApplication::processEvents();
    EXPECT_TRUE(third.isMaximized());
    EXPECT_EQ(third.normalGeometry(), QRect(150, 160, 1000, 700));
}

TEST_F(MainWindowTest, AKeptGeometryOnNoScreenGivesTheFirstStartGeometry) {
    const QRect primary(0, 0, 1920, 1080);
    const struct {
        std::vector<QRect> screens;
        QRect expected;
    } cases[] = {
        {{primary, QRect(1920, 0, 1280, 1024)}, QRect(2100, 100, 800, 600)},
        {{primary}, QRect(384, 108, 1152, 864)},  // the screen on the right is gone
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(
            WriteSettings({{"WindowGeometry", "2100,100,800,600"}, {"WindowMaximized", "0"}}));
        screens = c.screens;
        Window& w = make(120);
        w.InitDialog({});
        EXPECT_EQ(w.geometry(), c.expected);
        window.reset();
    }
}

TEST_F(MainWindowTest, RecentHoldsTheLastFilmsAndFoldersOpenedAndOpensThemAgain) {
    const QString a = CopyFilm(Type60Film(3), films.path(), "a.MP4");
    const QString b = CopyFilm(Type60Film(3), films.path(), "b=c;d.MP4");
    QDir(films.path()).mkdir("card");
    const QString folder = films.path() + "/card";
    const QString inFolder = CopyFilm(Type60Film(4), folder, "f.MOV");
    Window& w = make(120);
    w.InitDialog({a});  // the command line counts as opening
    w.chosenFolder = folder;
    w.OnCommand(MainWindow::kCmdOpenFolder);
    w.chosen = {b};
    w.OnCommand(MainWindow::kCmdOpen);
    const auto recent = [&] {
        QStringList paths;
        for (const std::string& p : window->recentPaths()) paths << QString::fromStdString(p);
        return paths;
    };
    EXPECT_EQ(recent(), (QStringList{b, folder, a}));
    // Kept at once, newest first.
    EXPECT_EQ(ReadSetting("Recent1"), b.toStdString());
    EXPECT_EQ(ReadSetting("Recent3"), a.toStdString());
    QMenu* menu = w.commandAction(MainWindow::kCmdRecent)->menu();
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions().at(1)->text(), folder);

    // A click opens it as Open Folder did, and it comes to the top.
    w.CloseFilm();
    menu->actions().at(1)->trigger();
    EXPECT_EQ(recent(), (QStringList{folder, b, a}));
    EXPECT_EQ(w.CurrentFilm(), inFolder);

    // A film that is gone is taken off with a word.
    ASSERT_TRUE(QFile::remove(b));
    w.OnCommand(MainWindow::kCmdRecentFirst + 1);
    EXPECT_EQ(w.messages,
              QStringList{b + " is no longer there and was taken off the Recent menu."});
    EXPECT_EQ(recent(), (QStringList{folder, a}));
    EXPECT_EQ(ReadSetting("Recent3"), "");

    // The next run has them, in the language chosen.
    w.ChangeLanguage("fr");
    Window& next = make(120);
    next.InitDialog({});
    EXPECT_EQ(recent(), (QStringList{folder, a}));
    EXPECT_EQ(next.commandAction(MainWindow::kCmdRecent)->menu()->actions().size(), 2);
    EXPECT_EQ(next.commandAction(MainWindow::kCmdRecent)->text(), QString::fromUtf8("Récents"));
    EXPECT_EQ(next.commandAction(MainWindow::kCmdExportAllTracks)->text(),
              QString::fromUtf8("Exporter toutes les traces\u2026"));
}

}  // namespace
}  // namespace tesmira
