#pragma once
// The player's only top-level window: the menu, the splitter tree with the four
// panes, and the state of the film being shown. It loads each film into every pane
// and keeps map and instruments in step with the picture when the film pane asks.

#include <QElapsedTimer>
#include <QHash>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "app/map_providers.h"
#include "app/retext.h"
#include "cli/track_export.h"
#include "extract/film_samples.h"
#include "extract/gps_record.h"
#include "filelist/film_list_host.h"
#include "mainwnd/film_record_store.h"
#include "mainwnd/main_geometry.h"
#include "mainwnd/window_memory.h"
#include "map/map_pane.h"
#include "playback/film_engine.h"
#include "playback/film_host.h"

class QAction;
class QFileInfo;
class QMenu;
class QSplitter;
class QTimer;

namespace tesmira {

struct FilmRead;
class FilmReadQueue;
class FilmListPane;
class FilmView;
class InstrumentPane;
class SamplePrefetch;
class TrackFeeder;
struct TrackExportOutcome;
class TripFeeder;

class MainWindow : public QMainWindow, public FilmHost, public FilmListHost {
    Q_OBJECT

public:
    enum Command {
        kCmdOpen = 57601,
        kCmdOpenFolder = kFileOpenFolderCommand,
        kCmdRecent = kFileRecentCommand,  // the submenu
        kCmdExportTrack = kFileExportCommand,
        kCmdExportAllTracks = kFileExportAllCommand,
        // File > Recent: one command per entry, newest first.
        kCmdRecentFirst = 57616,
        kCmdLanguageEn = 32779,
        kCmdLanguageZhCn = 32778,
        kCmdLanguageZhTw = 32782,
        kCmdLanguageRu = 32781,
        kCmdLanguageFr = 32789,
        // The map commands are those of the provider table (app/map_providers.h).
        kCmdMapGoogle = kMapProviders[kMapGoogle].menuCommand,
        kCmdMapBaidu = kMapProviders[kMapBaidu].menuCommand,
        kCmdMapOsm = kMapProviders[kMapOsm].menuCommand,
        kCmdUnitKmh = 32792,
        kCmdUnitMph = 32793,
        kCmdAbout = 32780,
        // View > Speed: one command per speed of kPlaySpeeds (playback/play_speeds.h),
        // slowest first.
        kCmdSpeedFirst = 32796,
        // View > Whole trip: every listed film's track on the map.
        kCmdWholeTrip = kViewWholeTripCommand,
    };
    static constexpr int kDialogId = 102;

    struct Options {
        // The film pane's engine; null makes the libmpv one.
        std::function<std::unique_ptr<FilmEngine>()> makeEngine;
        // Where the map pane's provider check asks instead of the providers (tests).
        MapPane::CheckHosts mapCheckHosts;
        // The page the track is fed to instead of the map pane's (tests record it).
        MapPage* mapPage = nullptr;
        // The screen the first geometry is taken from; empty for the primary screen.
        QSize screenSize;
        // The screens a kept geometry must lie on; empty for the system's screens.
        std::vector<QRect> screens;
        // How a film's records are found (tests make a locator fail).
        FilmLocators locators;
    };

    MainWindow();
    explicit MainWindow(Options options);
    ~MainWindow() override;

    // Settings, language, menu, re-texting, check marks and the command-line films
    // (the arguments after the program's name, relative to the working folder), in
    // that order. What the window kept from the last run (geometry, maximised state,
    // splitters, volume, Recent) is restored first; a kept geometry on no screen gives
    // the first-start one.
    void InitDialog(const QStringList& arguments);

    // Writes what the window remembers that changed since it was last written (the
    // window waits a moment after each change, so that a drag writes once, and writes
    // at close).
    void RememberNow();
    // The films and folders of File > Recent, newest first.
    const std::vector<std::string>& recentPaths() const { return recent_.paths(); }
    // An export of the menu runs on a thread of its own.
    bool exporting() const { return exportThread_.joinable(); }

    // FilmHost and FilmListHost
    // 0 also for a file that does not exist: it is never listed.
    int AddFileToList(const QString& path) override;
    // Asked while a film loads (from a message box's event loop), the film follows
    // once that load is over: no load starts inside another. A film the film pane
    // cannot open, met while the list plays through, passes on to the next one.
    void PlayFile(const QString& path) override;
    // Lists the existing films with an accepted ending oldest first (the earlier of
    // birth and modification time, which a copy keeps) and plays the oldest. A folder
    // stands for the films in it and its sub-folders; one that cannot be read is
    // named on standard error.
    void OpenFilms(const QStringList& paths) override;
    void ResumeSync(const QString& position) override;
    void PauseMapTrack() override;
    void StopInstrumentTimers() override;
    // The one clock: compares the second every pane shows with the film's and realigns
    // only the panes that are a whole record off. The page is called only then.
    void FollowFilm(double position) override;
    void SpeedChanged(double factor) override;
    void PlayNextFilm() override;
    // 3 s before the current film's next or previous event; past its last (first) one,
    // the next (previous) listed film whose records have been read and hold events plays
    // from 3 s before its first (last) event. With no event that way, nothing happens.
    void JumpToEvent(int direction) override;
    void PlayPrevious(const QString& path) override;
    void PlayNext(const QString& path) override;
    QString CurrentFilm() const override { return currentFilm_; }
    const std::vector<VIDEO_SYNC_OUTPUT_T>& SyncRecords() const override { return syncRecords_; }
    void CloseFilm() override;

    // False when the film pane could not open the film.
    bool LoadCurrentFilm();
    void StopSync();
    void ChangeLanguage(const QString& code);
    void OnCommand(int command);
    // The open dialog's filters, all films together first.
    static QString OpenFilter();
    // What the export's save dialog gives: the file, and the format of the chosen filter.
    struct ExportChoice {
        QString path;
        ExportFormat format = ExportFormat::Gpx;
    };

    // The panes and the state the synchroniser keeps.
    FilmView* filmView() const { return filmView_; }
    MapPane* mapView() const { return mapView_; }
    FilmListPane* filmList() const { return filmList_; }
    InstrumentPane* instrumentView() const { return instrumentView_; }
    QAction* commandAction(int command) const;
    bool hasSamples() const { return hasSamples_; }
    int samplePeriod() const { return samplePeriod_; }
    // The step of the marker and the instruments at the playback speed.
    int stepPeriod() const;
    double speed() const { return speed_; }
    // The record each pane shows; -1 for none. The marker's is reckoned from what the page
    // was last told and the time since.
    struct PaneSeconds {
        int marker;
        int chart;
        int speedometer;
        int compass;
        int labels;
    };
    PaneSeconds paneSeconds() const;
    // The whole trip's feeder, and the id its films have on the map pages (0: none yet).
    const TripFeeder& trip() const { return *trip_; }
    int tripFilmId(const QString& path) const { return tripIds_.value(path, 0); }
    QSplitter* outerSplitter() const { return outerSplitter_; }
    QSplitter* upperSplitter() const { return upperSplitter_; }
    QSplitter* rightSplitter() const { return rightSplitter_; }

    // Every listed film's records are read once, in the background, in the order the
    // films were listed (the playing film's are taken from its load instead). The
    // records of a listed film once read; null before that and for a film not listed.
    const FilmRecords* ListedFilmRecords(const QString& path) const;
    // The G-sensor change that marks an event, read from the settings when the dialog
    // is set up.
    double eventG() const { return eventG_; }

signals:
    // The records of these listed films have just been read: ListedFilmRecords has them.
    // Emitted on the UI thread, a batch at a time, and for a film when it is loaded.
    void filmRecordsRead(const QStringList& paths);
    // An export of the menu has ended (written, refused or failed; any message shown).
    void trackExportFinished();

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // The export's save dialog: the file and the format of the chosen filter; an empty
    // path when cancelled. Tests replace it.
    virtual ExportChoice ChooseExportFile(const QString& title, const QString& suggested);
    // The open-file dialog; tests replace it.
    virtual QStringList ChooseFilms();
    // The open-folder dialog, empty when cancelled; tests replace it.
    virtual QString ChooseFolder();
    // A message box titled with the product's name; tests replace it.
    virtual void ShowMessage(const QString& text);

private:
    void buildMenu();
    void buildPanes();
    void setChecked(int command, bool checked);
    void checkMap(int provider);
    void selectMap(const MapProviderEntry& map);
    void loadMapPage(int id);
    void resendTrack();
    // Listed films whose records were just read join the whole trip.
    void tripFilmsRead(const QStringList& paths);
    void scheduleTripFlush();
    void flushTrip();
    // Films no longer listed leave the trip.
    void tripFollowList();
    // A click on the map: film `id` (a trip id) from `second`, if it is still listed.
    void playTripFilmAt(int id, double second);
    void checkLanguage(const std::string& code);
    void checkUnit();
    static bool isMenuLanguage(const std::string& code);
    void resetInstruments();
    // Sets the panes that show another record than `second` to it (all of them with
    // `all`), stepping on when `running`, else holding there.
    void alignPanes(int second, bool running, bool all);
    // FollowFilm at the engine's position, the film pane's labels included.
    void followEngine();
    int markerSecond() const;
    void toldMarker(int second, int periodMs, bool running);
    void readFilmStatus(const QFileInfo& info);
    void openCommandLine(const QStringList& arguments);
    // Times, event counts and records of the films read in the background; a film no
    // longer listed is ignored.
    void takeFilmsRead(const std::vector<FilmRead>& batch);
    // Keeps the records of the current film, when listed, as if read in the background.
    void keepCurrentRecords(FilmRecords records);
    // Drops the records and the queued reads of films no longer listed.
    void forgetUnlisted();
    // The film after the current one in the list gets its records read and its playback made
    // ready while the current one plays; whatever was ready for another film is dropped.
    void prepareNextFilm();
    // The current film's records: those read ahead when it was the one made ready (their
    // locator messages shown now), else read here.
    FilmSamples takeSamples();
    static void reportNotPlayed(const QString& film, const char* why);
    MainGeometry firstGeometry() const;
    // The window's memory: restored at start, noted on change, written after a pause.
    void restoreWindow();
    void applyKeptSplitters();
    void noteChange();
    void remember(const QStringList& opened);
    void saveRecent();
    void fillRecentMenu();
    void openRecent(std::size_t index);
    void updateFileMenu();
    // File > Export: the playing film, or every listed film as one document.
    void exportTracks(bool all);
    void exportDone(const TrackExportOutcome& outcome, const QString& output, const QString& film);

    Options options_;
    QWidget* paneFrame_ = nullptr;
    QSplitter* outerSplitter_ = nullptr;
    QSplitter* upperSplitter_ = nullptr;
    QSplitter* rightSplitter_ = nullptr;
    FilmView* filmView_ = nullptr;
    FilmListPane* filmList_ = nullptr;
    MapPane* mapView_ = nullptr;
    InstrumentPane* instrumentView_ = nullptr;
    std::unique_ptr<TrackFeeder> feeder_;
    std::unique_ptr<TripFeeder> trip_;
    QHash<QString, int> tripIds_;  // listed film -> its id on the pages; ids never reused
    int lastTripId_ = 0;
    QTimer* tripFlush_ = nullptr;  // gathers the films read meanwhile into one page call
    bool tripResendPending_ = false;
    FilmReadQueue* reads_ = nullptr;  // the listed films' times and records, in the background
    FilmRecordStore records_;         // by path, of listed films only
    std::atomic<double> eventG_;      // also read by the background reader
    bool forgetQueued_ = false;
    std::vector<int> currentEvents_;  // the current film's event seconds

    QString currentFilm_;
    QString sizeText_;
    QString createdText_;
    QString durationText_;
    QString resolutionText_;
    bool hasSamples_ = false;
    // A map page was asked for in place of the shown one.
    bool resendPending_ = false;
    int samplePeriod_ = 0;
    bool loading_ = false;
    QString pendingFilm_;          // asked for during a load, played after it
    bool playingThrough_ = false;  // the load goes on down the list when a film fails
    std::vector<VIDEO_SYNC_OUTPUT_T> syncRecords_;
    double speed_ = 1.0;
    // What the page's marker was last told: the record it started at (-1: no marker), its
    // step and whether it steps; the time since then.
    int markerStart_ = -1;
    int markerPeriod_ = 0;
    bool markerRunning_ = false;
    QElapsedTimer markerClock_;
    QString preparedFilm_;  // the film after the current one, made ready
    std::unique_ptr<SamplePrefetch> preparedSamples_;
    bool prepareQueued_ = false;

    // What the window remembers: on only once the kept state is restored.
    bool remembering_ = false;
    QTimer* rememberTimer_ = nullptr;
    std::map<std::string, std::string> written_;  // the keys as last read or written
    // Splitter sizes kept from the last run, each set once its splitter has the size they
    // were taken at (the window reaches its kept size only after the window system agrees).
    std::vector<std::vector<int>> keptSplitters_;
    RecentList recent_;
    QMenu* recentMenu_ = nullptr;
    // The menu's export: its thread, and the flag that ends it early when the window goes.
    std::thread exportThread_;
    std::atomic<bool> exportCancelled_{false};
};

// Process-wide choices the window's panes depend on; before the application object.
void PrepareMainWindowProcess();

// Builds the application object and the main window, opens the command-line films
// and runs until the window closes.
int RunMainWindow(int argc, char** argv);

}  // namespace tesmira
