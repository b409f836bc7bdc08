#include "mainwnd/main_window.h"

#include <malloc.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSet>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "app/about_box.h"
#include "app/app_paths.h"
#include "app/film_endings.h"
#include "app/film_folder.h"
#include "app/language_pack.h"
#include "app/retext.h"
#include "app/settings.h"
#include "extract/film_samples.h"
#include "extract/g_events.h"
#include "filelist/film_list_pane.h"
#include "filelist/film_row_texts.h"
#include "filelist/sortable_list_view.h"
#include "instruments/instrument_pane.h"
#include "mainwnd/display_check.h"
#include "mainwnd/event_jump.h"
#include "mainwnd/film_read_queue.h"
#include "mainwnd/main_geometry.h"
#include "mainwnd/sample_prefetch.h"
#include "mainwnd/track_export_job.h"
#include "mainwnd/track_feeder.h"
#include "mainwnd/trip_feeder.h"
#include "mainwnd/window_rules.h"
#include "map/browser_view.h"
#include "map/map_page_scheme.h"
#include "map/map_pages.h"
#include "playback/film_view.h"
#include "playback/film_view_texts.h"
#include "playback/play_speeds.h"
#include "widgets/app_icon.h"

namespace tesmira {
namespace {

struct LanguageItem {
    int command;
    const char* code;
};
constexpr LanguageItem kLanguages[] = {
    {MainWindow::kCmdLanguageEn, "en"},      {MainWindow::kCmdLanguageZhCn, "zh-CN"},
    {MainWindow::kCmdLanguageZhTw, "zh-TW"}, {MainWindow::kCmdLanguageRu, "ru"},
    {MainWindow::kCmdLanguageFr, "fr"},
};

// The chart's three lines, X red, Y green, Z blue (0x00BBGGRR), its grid and range.
constexpr ColorRef kLineColours[] = {0x0000FF, 0x00FF00, 0xFF0000};
constexpr ColorRef kGridColour = 0x737373;
constexpr double kChartTop = 5120000.0;

// The window's memory in the settings file: optional keys, none in the default file.
constexpr char kGeometryKey[] = "WindowGeometry";    // x,y,width,height of the normal window
constexpr char kMaximisedKey[] = "WindowMaximized";  // 1 or 0
constexpr char kSplittersKey[] = "Splitters";  // outer, upper and right splitter, two sizes each
constexpr char kVolumeKey[] = "Volume";        // the film pane's scale, -10000 to 0
constexpr char kRecentKeyPrefix[] = "Recent";  // Recent1 (newest) .. Recent10
// The widest a path stands in File > Recent, in pixels.
constexpr int kRecentTextWidth = 640;
// A drag or a resize sends many events; the file is written once they pause.
constexpr int kRememberDelayMs = 1000;

std::string recentKey(std::size_t index) {
    return kRecentKeyPrefix + std::to_string(index + 1);
}

QString text(const char* key, const char* english) {
    return QString::fromStdString(UiText(key, english));
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

struct ExportFilter {
    ExportFormat format;
    const char* key;
    const char* english;
    const char* ending;
};
constexpr ExportFilter kExportFilters[] = {
    {ExportFormat::Gpx, "IDD102_export_gpx", "GPX track", "gpx"},
    {ExportFormat::Kml, "IDD102_export_kml", "KML (Google Earth)", "kml"},
    {ExportFormat::Csv, "IDD102_export_csv", "CSV table", "csv"},
    {ExportFormat::Json, "IDD102_export_json", "JSON (every value)", "json"},
};

QString filterText(const ExportFilter& filter) {
    return QStringLiteral("%1 (*.%2)").arg(text(filter.key, filter.english), filter.ending);
}

QString localTimeText(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// When a film was made: the earlier of its birth and last write. A copy is born anew
// but keeps the camera's write time (cp -p, file managers); where the file system
// keeps no birth time, the write time alone.
QDateTime creationTime(const QFileInfo& info) {
    const QDateTime born = info.birthTime();
    const QDateTime written = info.lastModified();
    if (!born.isValid()) return written;
    return written.isValid() && written < born ? written : born;
}

// The working folder's meaning of a command-line name, fixed before anything else
// reads it: a row's name and identity are the text after the last "/".
QString absoluteFilm(const QString& film) {
    return QDir::cleanPath(QFileInfo(film).absoluteFilePath());
}

// Folders stand for the films in them and their sub-folders; the rest as given.
QStringList filmsAmong(const QStringList& paths) {
    QStringList films;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) {
            films << path;
            continue;
        }
        const FilmFolderScan scan = ScanFilmFolder(QFile::encodeName(path).toStdString());
        // Nothing else tells the user why a card's films are missing from the list.
        for (const FilmFolderScan::Skipped& skipped : scan.unreadable)
            std::fprintf(stderr, "tesmira: skipping folder '%s': %s\n", skipped.folder.c_str(),
                         skipped.reason.c_str());
        if (scan.films.empty() && scan.unreadable.empty())
            std::fprintf(stderr, "tesmira: no films in folder '%s'\n",
                         QFile::encodeName(path).constData());
        for (const std::filesystem::path& film : scan.films)
            films << QFile::decodeName(film.c_str());
    }
    return films;
}

std::tm toTm(const QDateTime& time) {
    const QDateTime local = time.toLocalTime();
    std::tm t{};
    t.tm_year = local.date().year() - 1900;
    t.tm_mon = local.date().month() - 1;
    t.tm_mday = local.date().day();
    t.tm_hour = local.time().hour();
    t.tm_min = local.time().minute();
    t.tm_sec = local.time().second();
    return t;
}

// The list's Events cell of a film that has been read.
QString eventCountText(const FilmRecords& records) {
    return QString::number(records.events.size());
}

}  // namespace

MainWindow::MainWindow() : MainWindow(Options{}) {}

MainWindow::MainWindow(Options options) : options_(std::move(options)), eventG_(kDefaultEventG) {
    setProperty(kDialogIdProperty, kDialogId);
    setWindowIcon(TesmiraIcon());
    buildMenu();
    buildPanes();
}

MainWindow::~MainWindow() {
    // An export still reading films ends at the next film; nothing is written then.
    exportCancelled_ = true;
    if (exportThread_.joinable()) {
        exportThread_.join();
        QApplication::restoreOverrideCursor();
    }
    // The reader's thread reads the threshold member; it stops before any member goes.
    delete reads_;
    reads_ = nullptr;
    // The panes go first, while the window they call as their host is still whole.
    delete paneFrame_;
    filmView_ = nullptr;
    filmList_ = nullptr;
}

void MainWindow::buildMenu() {
    QMenuBar* bar = menuBar();
    const auto add = [this](QMenu* menu, int command, const QString& text, bool checkable) {
        QAction* action = menu->addAction(text);
        action->setProperty(kCommandIdProperty, command);
        action->setCheckable(checkable);
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    };
    QMenu* file = bar->addMenu(QStringLiteral("File"));
    add(file, kCmdOpen, QStringLiteral("Open"), false);
    add(file, kCmdOpenFolder, QString::fromUtf8(kFileOpenFolderText), false);
    recentMenu_ = file->addMenu(QString::fromLatin1(kFileRecentText));
    recentMenu_->setToolTipsVisible(true);
    recentMenu_->menuAction()->setProperty(kCommandIdProperty, kCmdRecent);
    file->addSeparator();
    add(file, kCmdExportTrack, QString::fromUtf8(kFileExportText), false);
    add(file, kCmdExportAllTracks, QString::fromUtf8(kFileExportAllText), false);
    file->addSeparator();
    QAction* exit = file->addAction(QString::fromLatin1(kFileExitText));
    exit->setProperty(kCommandIdProperty, kFileExitCommand);
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    commandAction(kCmdOpen)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    commandAction(kCmdOpenFolder)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    connect(file, &QMenu::aboutToShow, this, &MainWindow::updateFileMenu);
    updateFileMenu();
    QMenu* view = bar->addMenu(QStringLiteral("View"));
    QMenu* language = view->addMenu(QStringLiteral("Language"));
    add(language, kCmdLanguageEn, QStringLiteral("(en)English"), true);
    add(language, kCmdLanguageZhCn, QString::fromUtf8("(zh-CN)中文简体"), true);
    add(language, kCmdLanguageZhTw, QString::fromUtf8("(zh-TW)中文繁體"), true);
    add(language, kCmdLanguageRu, QString::fromUtf8("(ru)Русский"), true);
    add(language, kCmdLanguageFr, QString::fromUtf8("(fr)Français"), true);
    QMenu* map = view->addMenu(QStringLiteral("Map"));
    for (const MapProviderEntry& provider : kMapProviders)
        add(map, provider.menuCommand, QString::fromLatin1(provider.menuText), true);
    QMenu* unit = view->addMenu(QStringLiteral("Speed Unit"));
    add(unit, kCmdUnitKmh, QStringLiteral("KMH"), true);
    add(unit, kCmdUnitMph, QStringLiteral("MPH"), true);
    QMenu* speed = view->addMenu(QString::fromLatin1(kViewSpeedText));
    for (std::size_t i = 0; i < kPlaySpeedCount; ++i)
        add(speed, kCmdSpeedFirst + static_cast<int>(i),
            QString::fromStdString(SpeedText(kPlaySpeeds[i])), true);
    setChecked(kCmdSpeedFirst + static_cast<int>(kNormalSpeed), true);
    add(view, kCmdWholeTrip, QString::fromLatin1(kViewWholeTripText), true);
    QMenu* help = bar->addMenu(QStringLiteral("Help"));
    add(help, kCmdAbout, QStringLiteral("About"), false);
}

MainGeometry MainWindow::firstGeometry() const {
    QSize screen = options_.screenSize;
    if (screen.isEmpty()) screen = QGuiApplication::primaryScreen()->size();
    return ComputeMainGeometry(screen.width(), screen.height());
}

void MainWindow::buildPanes() {
    const MainGeometry g = firstGeometry();

    // The pane frame fills the client area below the menu bar.
    paneFrame_ = new QWidget(this);
    paneFrame_->setAutoFillBackground(true);
    QPalette white = paneFrame_->palette();
    white.setColor(QPalette::Window, Qt::white);
    paneFrame_->setPalette(white);
    setCentralWidget(paneFrame_);
    auto* layout = new QVBoxLayout(paneFrame_);
    layout->setContentsMargins(0, 0, 0, 0);

    const auto splitter = [](Qt::Orientation orientation, QWidget* parent) {
        auto* s = new QSplitter(orientation, parent);
        s->setHandleWidth(kSplitterBar);
        s->setChildrenCollapsible(false);
        return s;
    };
    outerSplitter_ = splitter(Qt::Vertical, paneFrame_);
    layout->addWidget(outerSplitter_);
    upperSplitter_ = splitter(Qt::Horizontal, outerSplitter_);
    instrumentView_ = new InstrumentPane(outerSplitter_);
    instrumentView_->setProperty(kDialogIdProperty, 106);

    std::unique_ptr<FilmEngine> engine = options_.makeEngine ? options_.makeEngine() : nullptr;
    filmView_ = new FilmView(*this, std::move(engine), upperSplitter_);
    filmView_->setProperty(kDialogIdProperty, 104);
    rightSplitter_ = splitter(Qt::Vertical, upperSplitter_);
    mapView_ = new MapPane(rightSplitter_, options_.mapCheckHosts);
    mapView_->setProperty(kDialogIdProperty, 107);
    filmList_ = new FilmListPane(*this, rightSplitter_);
    filmList_->setProperty(kDialogIdProperty, 105);
    instrumentView_->setMinimumSize(kInstrumentMinWidth, kInstrumentMinHeight);
    mapView_->setMinimumSize(kMapMinWidth, kMapMinHeight);
    filmList_->setMinimumSize(kListMinWidth, kListMinHeight);
    feeder_ = std::make_unique<TrackFeeder>(options_.mapPage ? *options_.mapPage : *mapView_);
    trip_ = std::make_unique<TripFeeder>(options_.mapPage ? *options_.mapPage : *mapView_);
    tripFlush_ = new QTimer(this);
    tripFlush_->setSingleShot(true);
    // Short enough to draw a film read at once, long enough that a long list read in the
    // background reaches the page in a few calls.
    tripFlush_->setInterval(150);
    connect(tripFlush_, &QTimer::timeout, this, &MainWindow::flushTrip);
    connect(&mapView_->Browser(), &BrowserView::pageReady, this, &MainWindow::resendTrack);
    connect(&mapView_->Browser(), &MapBrowser::tripPointChosen, this,
            [this](int film, int second) { playTripFilmAt(film, second); });
    // An event mark jumps as the event keys do: to a few seconds before it.
    connect(&mapView_->Browser(), &MapBrowser::tripEventChosen, this,
            [this](int film, int second) { playTripFilmAt(film, EventLanding(second)); });
    connect(mapView_, &MapPane::mapChosen, this,
            [this](int provider) { OnCommand(FindMapProvider(provider)->menuCommand); });
    reads_ = new FilmReadQueue(
        [this, locators = options_.locators](const std::filesystem::path& film, FilmRead& read) {
            FilmReadQueue::ReadListedFilm(film, eventG_.load(), locators, read);
        },
        this);
    connect(reads_, &FilmReadQueue::filmsRead, this, &MainWindow::takeFilmsRead);
    connect(this, &MainWindow::filmRecordsRead, this, &MainWindow::tripFilmsRead);
    // Rows added, deleted or sorted may change which film comes next: once the change is
    // over, the one made ready is checked.
    const auto listChanged = [this] {
        if (std::exchange(prepareQueued_, true)) return;
        QTimer::singleShot(0, this, [this] {
            prepareQueued_ = false;
            prepareNextFilm();
            tripFollowList();
        });
    };
    QAbstractItemModel* rows = filmList_->List().model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, listChanged);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, listChanged);
    connect(rows, &QAbstractItemModel::rowsMoved, this, listChanged);
    connect(rows, &QAbstractItemModel::layoutChanged, this, listChanged);
    connect(rows, &QAbstractItemModel::modelReset, this, listChanged);
    const auto rowsGone = [this] {
        if (std::exchange(forgetQueued_, true)) return;
        QTimer::singleShot(0, this, [this] {
            forgetQueued_ = false;
            forgetUnlisted();
        });
    };
    connect(rows, &QAbstractItemModel::rowsRemoved, this, rowsGone);
    connect(rows, &QAbstractItemModel::modelReset, this, rowsGone);

    // The instrument strip keeps its height when the window grows; the picture takes
    // the rest.
    outerSplitter_->setStretchFactor(0, 1);
    outerSplitter_->setStretchFactor(1, 0);
    upperSplitter_->setStretchFactor(0, 1);
    upperSplitter_->setStretchFactor(1, 0);
    rightSplitter_->setSizes({g.mapHeight, g.listHeight});
    upperSplitter_->setSizes({g.filmViewWidth, g.width - g.filmViewWidth - kSplitterBar});
    outerSplitter_->setSizes({g.upperIdealHeight, g.instrumentHeight});

    setGeometry(g.left, g.top, g.width, g.height);
    show();
}

void MainWindow::InitDialog(const QStringList& arguments) {
    const MainGeometry g = firstGeometry();
    setGeometry(g.left, g.top, g.shownWidth, g.shownHeight);
    restoreWindow();

    ApplyLanguage("");
    ReTextMenu(menuBar());
    ReTextWindow(this, kDialogId);
    ReTextWindow(filmView_, 104);
    ReTextWindow(filmList_, 105);
    checkLanguage(ReadLanguage());
    checkMap(MapProvider());
    checkUnit();
    eventG_ = ReadEventG();
    const bool wholeTrip = ReadWholeTrip();
    setChecked(kCmdWholeTrip, wholeTrip);
    trip_->SetShown(wholeTrip);
    scheduleTripFlush();
    openCommandLine(arguments);
}

void MainWindow::restoreWindow() {
    std::vector<KeptRect> screens;
    for (const QRect& r : options_.screens)
        screens.push_back({r.x(), r.y(), r.width(), r.height()});
    if (options_.screens.empty())
        for (const QScreen* screen : QGuiApplication::screens()) {
            const QRect r = screen->geometry();
            screens.push_back({r.x(), r.y(), r.width(), r.height()});
        }
    // Every kept key in one look at the settings file.
    std::vector<std::string> keys = {kGeometryKey, kMaximisedKey, kSplittersKey, kVolumeKey};
    for (std::size_t i = 0; i < RecentList::kMaxRecent; ++i) keys.push_back(recentKey(i));
    const std::vector<std::string> stored = ReadSettings(keys);
    written_.clear();
    for (std::size_t i = 0; i < keys.size(); ++i) written_[keys[i]] = stored[i];
    const auto read = [this](const std::string& key) { return written_[key]; };
    // Kept on a screen that is gone: the window starts where a first start puts it.
    std::optional<KeptRect> kept = ParseKeptRect(read(kGeometryKey));
    if (kept) kept = PlaceKeptRect(*kept, screens);
    const bool placed = kept.has_value();
    if (placed) setGeometry(kept->x, kept->y, kept->width, kept->height);
    const bool maximised = read(kMaximisedKey) == "1";
    const std::optional<std::vector<int>> sizes = ParseSizes(read(kSplittersKey), 6);
    // Splitter sizes belong to the window they were taken in.
    if (sizes && placed)
        keptSplitters_ = {
            {(*sizes)[0], (*sizes)[1]}, {(*sizes)[2], (*sizes)[3]}, {(*sizes)[4], (*sizes)[5]}};
    if (const std::optional<int> volume = ParseVolume(read(kVolumeKey)))
        filmView_->SetVolume(*volume);
    std::vector<std::string> values;
    for (std::size_t i = 0; i < RecentList::kMaxRecent; ++i) values.push_back(read(recentKey(i)));
    recent_ = RecentList::FromValues(values);
    fillRecentMenu();
    if (maximised && placed) setWindowState(windowState() | Qt::WindowMaximized);
    // The layout takes the window's size at once where the window system allows it.
    if (QLayout* layout = this->layout()) layout->activate();
    if (QLayout* layout = paneFrame_->layout()) layout->activate();
    applyKeptSplitters();

    if (!rememberTimer_) {
        rememberTimer_ = new QTimer(this);
        rememberTimer_->setSingleShot(true);
        rememberTimer_->setInterval(kRememberDelayMs);
        connect(rememberTimer_, &QTimer::timeout, this, [this] {
            // The window has settled by now: sizes still waiting for their splitter's
            // length (the window system gave another size) are given as they are, and
            // the splitter shares out the difference.
            if (keptSplitters_.size() == 3) {
                QSplitter* const splitters[] = {outerSplitter_, upperSplitter_, rightSplitter_};
                for (std::size_t i = 0; i < 3; ++i)
                    if (!keptSplitters_[i].empty())
                        splitters[i]->setSizes({keptSplitters_[i][0], keptSplitters_[i][1]});
            }
            keptSplitters_.clear();
            RememberNow();
        });
        for (QSplitter* splitter : {outerSplitter_, upperSplitter_, rightSplitter_})
            connect(splitter, &QSplitter::splitterMoved, this, [this] {
                keptSplitters_.clear();  // the user's own sizes from now on
                noteChange();
            });
        connect(filmView_, &FilmView::volumeChanged, this, &MainWindow::noteChange);
    }
    remembering_ = true;
}

void MainWindow::applyKeptSplitters() {
    if (keptSplitters_.size() != 3) return;
    QSplitter* const splitters[] = {outerSplitter_, upperSplitter_, rightSplitter_};
    bool left = false;
    for (std::size_t i = 0; i < 3; ++i) {
        std::vector<int>& sizes = keptSplitters_[i];
        if (sizes.empty()) continue;
        QSplitter* splitter = splitters[i];
        const int length =
            splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
        if (length == sizes[0] + sizes[1] + splitter->handleWidth()) {
            splitter->setSizes({sizes[0], sizes[1]});
            sizes.clear();
        } else {
            left = true;
        }
    }
    if (!left) keptSplitters_.clear();
}

void MainWindow::noteChange() {
    if (remembering_ && rememberTimer_) rememberTimer_->start();
}

void MainWindow::RememberNow() {
    if (rememberTimer_) rememberTimer_->stop();
    if (!remembering_) return;
    std::vector<std::pair<std::string, std::string>> values;
    if (!isMinimized()) {
        const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
        if (normal.isValid())
            values.emplace_back(kGeometryKey, FormatKeptRect({normal.x(), normal.y(),
                                                              normal.width(), normal.height()}));
        values.emplace_back(kMaximisedKey, isMaximized() ? "1" : "0");
        // Sizes not yet given back to a splitter are still the ones to keep.
        std::vector<int> sizes;
        QSplitter* const splitters[] = {outerSplitter_, upperSplitter_, rightSplitter_};
        for (std::size_t i = 0; i < 3; ++i) {
            const QList<int> shown = splitters[i]->sizes();
            if (keptSplitters_.size() == 3 && !keptSplitters_[i].empty())
                sizes.insert(sizes.end(), keptSplitters_[i].begin(), keptSplitters_[i].end());
            else
                sizes.insert(sizes.end(), shown.begin(), shown.end());
        }
        if (ParseSizes(FormatSizes(sizes), 6))
            values.emplace_back(kSplittersKey, FormatSizes(sizes));
    }
    values.emplace_back(kVolumeKey, std::to_string(filmView_->Volume()));
    const std::vector<std::string> recent = recent_.Values();
    for (std::size_t i = 0; i < recent.size(); ++i) values.emplace_back(recentKey(i), recent[i]);
    // Only what changed: an unchanged window never rewrites the file.
    std::vector<std::pair<std::string, std::string>> changed;
    for (const auto& value : values) {
        const auto known = written_.find(value.first);
        if (known == written_.end() || known->second != value.second) changed.push_back(value);
    }
    if (changed.empty() || !WriteSettings(changed)) return;
    for (const auto& [key, value] : changed) written_[key] = value;
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    noteChange();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    noteChange();
    // Once the layout has given the splitters the window's new size.
    if (!keptSplitters_.empty()) QTimer::singleShot(0, this, &MainWindow::applyKeptSplitters);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) noteChange();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    RememberNow();
    QMainWindow::closeEvent(event);
}

void MainWindow::remember(const QStringList& opened) {
    bool changed = false;
    // The first of one choice ends up on top.
    for (auto it = opened.crbegin(); it != opened.crend(); ++it) {
        const QFileInfo info(*it);
        if (info.isDir() || (info.isFile() && HasAcceptedEnding(it->toStdString())))
            changed = recent_.Add(localPath(absoluteFilm(*it))) || changed;
    }
    if (changed) saveRecent();
}

void MainWindow::saveRecent() {
    fillRecentMenu();
    // At once, not after a pause: a film opened may be one that brings the player down.
    if (remembering_) RememberNow();
}

void MainWindow::fillRecentMenu() {
    recentMenu_->clear();
    const std::vector<std::string>& paths = recent_.paths();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(paths[i]));
        // The entry's text is the path as it is ("&" is no shortcut here), a long one cut
        // in the middle, where the film's own name is least likely to be.
        const QString shown =
            recentMenu_->fontMetrics().elidedText(path, Qt::ElideMiddle, kRecentTextWidth);
        QAction* action = recentMenu_->addAction(QString(shown).replace('&', "&&"));
        action->setToolTip(path);
        const int command = kCmdRecentFirst + static_cast<int>(i);
        action->setProperty(kCommandIdProperty, command);
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    }
    recentMenu_->setEnabled(!paths.empty());
}

void MainWindow::openRecent(std::size_t index) {
    if (index >= recent_.paths().size()) return;
    const std::string path = recent_.paths()[index];
    const QString shown = QFile::decodeName(QByteArray::fromStdString(path));
    if (!QFileInfo::exists(shown)) {
        recent_.Remove(path);
        saveRecent();
        ShowMessage(
            text("IDD102_recent_gone", "%1 is no longer there and was taken off the Recent menu.")
                .arg(shown));
        return;
    }
    OpenFilms({shown});
}

void MainWindow::updateFileMenu() {
    if (QAction* one = commandAction(kCmdExportTrack))
        one->setEnabled(!exporting() && !currentFilm_.isEmpty());
    if (QAction* all = commandAction(kCmdExportAllTracks))
        all->setEnabled(!exporting() && filmList_ && filmList_->List().GetItemCount() > 0);
    recentMenu_->setEnabled(!recent_.paths().empty());
}

MainWindow::ExportChoice MainWindow::ChooseExportFile(const QString& title,
                                                      const QString& suggested) {
    QFileDialog dialog(this, title, suggested);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters;
    for (const ExportFilter& filter : kExportFilters) filters << filterText(filter);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromLatin1(kExportFilters[0].ending));
    // A name typed without an ending gets the chosen format's.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString& f) {
        const qsizetype i = filters.indexOf(f);
        if (i >= 0) dialog.setDefaultSuffix(QString::fromLatin1(kExportFilters[i].ending));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString path = dialog.selectedFiles().front();
    // A name typed with another format's ending gets that format: trip.kml holds KML.
    const QString ending = QFileInfo(path).suffix().toLower();
    for (const ExportFilter& filter : kExportFilters)
        if (ending == QLatin1String(filter.ending)) return {path, filter.format};
    const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
    return {path, kExportFilters[chosen < 0 ? 0 : chosen].format};
}

void MainWindow::exportTracks(bool all) {
    if (exporting()) return;  // one at a time; the menu items are off meanwhile
    const QStringList films = all ? filmList_->Paths() : QStringList{currentFilm_};
    if (films.isEmpty() || films.front().isEmpty()) return;
    const QFileInfo first(films.front());
    const QString suggested =
        first.absolutePath() + "/" + (all ? QStringLiteral("tracks") : first.completeBaseName());
    const ExportChoice choice = ChooseExportFile(
        all ? text("IDD102_export_all_title", "Export the tracks of all listed films")
            : text("IDD102_export_title", "Export the track of the playing film"),
        suggested);
    if (choice.path.isEmpty()) return;

    TrackExportJob job;
    job.format = choice.format;
    for (const QString& film : films) job.films.push_back(localPath(film));
    job.several = all;
    job.output = localPath(choice.path);
    job.name = QFileInfo(choice.path).completeBaseName().toStdString();
    job.eventG = eventG_.load();
    exportCancelled_ = false;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const QString film = all ? QString() : films.front();
    exportThread_ = std::thread([this, job, locators = options_.locators, output = choice.path,
                                 film] {
        const TrackExportOutcome outcome = RunTrackExportJob(
            job, [&locators](const std::string& path) { return ReadFilmForExport(path, locators); },
            exportCancelled_);
        QMetaObject::invokeMethod(
            this, [this, outcome, output, film] { exportDone(outcome, output, film); },
            Qt::QueuedConnection);
    });
}

void MainWindow::exportDone(const TrackExportOutcome& outcome, const QString& output,
                            const QString& film) {
    if (exportThread_.joinable()) exportThread_.join();
    QApplication::restoreOverrideCursor();
    using Status = TrackExportOutcome::Status;
    const QString shownOutput = QDir::toNativeSeparators(output);
    switch (outcome.status) {
        case Status::Written:
        case Status::Cancelled:
            break;
        case Status::NoRecords:
            ShowMessage(film.isEmpty()
                            ? text("IDD102_export_none",
                                   "None of the listed films holds GPS records: nothing was "
                                   "written.")
                            : text("IDD102_export_no_records",
                                   "%1 holds no GPS records: nothing was written.")
                                  .arg(QFileInfo(film).fileName()));
            break;
        case Status::OutputIsFilm:
            ShowMessage(
                text("IDD102_export_is_film", "%1 is one of the films: nothing was written.")
                    .arg(shownOutput));
            break;
        case Status::WriteFailed:
            ShowMessage(text("IDD102_export_failed", "The track could not be written to %1:\n%2")
                            .arg(shownOutput, QString::fromStdString(outcome.reason)));
            break;
    }
    emit trackExportFinished();
}

void MainWindow::openCommandLine(const QStringList& arguments) {
    // A file manager's "Open with" hands each film as an argument of its own: several
    // arguments that do not together name one file are opened like a choice in the
    // open dialog.
    const QString joined = QString::fromStdString(TrimQuotes(arguments.join(' ').toStdString()));
    QStringList names;
    if (const QFileInfo whole(joined); arguments.size() >= 2 && !whole.isFile() && !whole.isDir()) {
        for (const QString& argument : arguments)
            names << QString::fromStdString(TrimQuotes(argument.toStdString()));
    } else if (!joined.isEmpty()) {
        names << joined;
    }
    QStringList films;
    for (const QString& name : names) {
        if (QFileInfo(name).isDir())
            films << absoluteFilm(name);  // its films are listed with the others
        else if (!HasAcceptedEnding(name.toStdString()))
            reportNotPlayed(name, "the name does not end in .mp4, .MP4, .mov, .MOV, .avi or .AVI");
        else if (const QFileInfo info(name); !info.isFile())
            reportNotPlayed(name, info.exists() ? "it is not a file" : "there is no such file");
        else
            films << absoluteFilm(name);
    }
    OpenFilms(films);
}

// Nothing else tells the user why a film named at start does not play.
void MainWindow::reportNotPlayed(const QString& film, const char* why) {
    std::fprintf(stderr, "tesmira: not playing '%s': %s\n", film.toLocal8Bit().constData(), why);
}

QAction* MainWindow::commandAction(int command) const {
    for (QAction* action : menuBar()->findChildren<QAction*>()) {
        bool ok = false;
        if (action->property(kCommandIdProperty).toInt(&ok) == command && ok) return action;
    }
    return nullptr;
}

void MainWindow::setChecked(int command, bool checked) {
    if (QAction* action = commandAction(command)) action->setChecked(checked);
}

bool MainWindow::isMenuLanguage(const std::string& code) {
    for (const LanguageItem& item : kLanguages)
        if (code == item.code) return true;
    return false;
}

void MainWindow::checkLanguage(const std::string& code) {
    for (const LanguageItem& item : kLanguages) {
        if (code == item.code) {
            for (const LanguageItem& other : kLanguages)
                setChecked(other.command, other.command == item.command);
            return;
        }
    }
}

void MainWindow::checkUnit() {
    const std::string unit = ReadUnit();
    if (unit != "KMH" && unit != "MPH") return;
    setChecked(kCmdUnitKmh, unit == "KMH");
    setChecked(kCmdUnitMph, unit == "MPH");
}

void MainWindow::OnCommand(int command) {
    switch (command) {
        case kCmdOpen:
            OpenFilms(ChooseFilms());
            return;
        case kCmdOpenFolder:
            if (const QString folder = ChooseFolder(); !folder.isEmpty()) OpenFilms({folder});
            return;
        case kCmdExportTrack:
        case kCmdExportAllTracks:
            exportTracks(command == kCmdExportAllTracks);
            return;
        case kCmdUnitKmh:
        case kCmdUnitMph:
            setChecked(kCmdUnitKmh, command == kCmdUnitKmh);
            setChecked(kCmdUnitMph, command == kCmdUnitMph);
            WriteUnit(command == kCmdUnitKmh ? "KMH" : "MPH");
            // Both read the unit when they draw; the label's text is made on the pane's
            // refresh, so refresh it now rather than on the next tick (never, when paused).
            filmView_->RefreshTick();
            if (QWidget* label = filmView_->control(FilmView::kSpeedLabelId)) label->repaint();
            instrumentView_->Speedometer().repaint();
            return;
        case kCmdWholeTrip: {
            const bool shown = !trip_->Shown();
            setChecked(kCmdWholeTrip, shown);
            WriteWholeTrip(shown);
            trip_->SetShown(shown);
            scheduleTripFlush();
            return;
        }
        case kCmdAbout: {
            AboutBox about(this);
            about.exec();
            return;
        }
        default:
            if (command >= kCmdRecentFirst &&
                command < kCmdRecentFirst + static_cast<int>(RecentList::kMaxRecent)) {
                openRecent(static_cast<std::size_t>(command - kCmdRecentFirst));
                return;
            }
            if (command >= kCmdSpeedFirst &&
                command < kCmdSpeedFirst + static_cast<int>(kPlaySpeedCount)) {
                filmView_->SetSpeed(static_cast<std::size_t>(command - kCmdSpeedFirst));
                return;
            }
            if (const MapProviderEntry* map = MapProviderForCommand(command)) selectMap(*map);
            for (const LanguageItem& item : kLanguages)
                if (command == item.command) ChangeLanguage(QString::fromLatin1(item.code));
            return;
    }
}

void MainWindow::checkMap(int provider) {
    for (const MapProviderEntry& entry : kMapProviders)
        setChecked(entry.menuCommand, entry.provider == provider);
}

void MainWindow::selectMap(const MapProviderEntry& map) {
    checkMap(map.provider);
    SetMapProvider(map.provider);
    WriteMap(map.settingsValue);
    loadMapPage(MapPageIdFor(map.provider, ReadLanguage()));
}

void MainWindow::loadMapPage(int id) {
    // The page that replaces the shown one gets the film's track and the trip once it has
    // loaded.
    resendPending_ = true;
    tripResendPending_ = true;
    mapView_->LoadMapPage(id);
}

void MainWindow::resendTrack() {
    if (std::exchange(tripResendPending_, false)) {
        trip_->PageReplaced();
        scheduleTripFlush();
    }
    if (!resendPending_) return;
    resendPending_ = false;
    if (!hasSamples_) return;
    FilmEngine& engine = filmView_->engine();
    const int second = WholeSeconds(engine.GetPosition().value_or(0.0));
    const int period = PeriodAtSpeed(1000, speed_);
    feeder_->Resend(MapProvider(), second, engine.IsRunning(), period);
    toldMarker(second, period, engine.IsRunning());
}

void MainWindow::tripFilmsRead(const QStringList& paths) {
    for (const QString& path : paths) {
        std::shared_ptr<const FilmRecords> records = records_.Share(path.toStdString());
        if (!records) continue;
        int& id = tripIds_[path];
        if (id == 0) id = ++lastTripId_;
        trip_->Add(id, std::move(records));
        if (path == currentFilm_) trip_->Highlight(id);
    }
    scheduleTripFlush();
}

void MainWindow::flushTrip() {
    bool listRead = true;
    for (const QString& path : filmList_->Paths())
        if (!ListedFilmRecords(path)) listRead = false;
    trip_->Flush(MapProvider(), listRead);
    // The rest in calls of their own, each after the window has had its turn.
    if (trip_->HasPending()) QTimer::singleShot(0, this, &MainWindow::flushTrip);
}

void MainWindow::scheduleTripFlush() {
    if (!tripFlush_->isActive()) tripFlush_->start();
}

void MainWindow::tripFollowList() {
    const QStringList films = filmList_->Paths();
    const QSet<QString> listed(films.cbegin(), films.cend());
    for (auto it = tripIds_.cbegin(); it != tripIds_.cend(); ++it)
        if (!listed.contains(it.key())) trip_->Remove(it.value());
}

void MainWindow::playTripFilmAt(int id, double second) {
    const QString path = tripIds_.key(id);
    // A film deleted from the list since its line was drawn plays nothing.
    if (path.isEmpty() || filmList_->FindPath(path) < 0) return;
    if (path != currentFilm_) PlayFile(path);
    if (path != currentFilm_ || !filmView_->engine().GetVideoSize()) return;
    filmView_->JumpTo(second);
}

QString MainWindow::OpenFilter() {
    // Linux names are case-sensitive and cameras write upper-case endings.
    return QStringLiteral(
        "Films (*.mp4 *.MP4 *.mov *.MOV *.avi *.AVI);;mp4 (*.mp4 *.MP4);;mov (*.mov *.MOV);;"
        "avi (*.avi *.AVI)");
}

QStringList MainWindow::ChooseFilms() {
    return QFileDialog::getOpenFileNames(this, QString(), QString(), OpenFilter());
}

QString MainWindow::ChooseFolder() {
    return QFileDialog::getExistingDirectory(this);
}

void MainWindow::ShowMessage(const QString& text) {
    QMessageBox::information(this, QStringLiteral("Tesmira"), text);
}

void MainWindow::OpenFilms(const QStringList& paths) {
    remember(paths);
    QStringList kept;
    std::vector<std::tm> created;
    for (const QString& path : filmsAmong(paths)) {
        // A missing file has no time to sort by and nothing to play.
        const QFileInfo info(path);
        if (!HasAcceptedEnding(path.toStdString()) || !info.isFile()) continue;
        kept << path;
        created.push_back(toTm(creationTime(info)));
    }
    const std::vector<std::size_t> order = OldestFirst(created);
    for (std::size_t i : order) AddFileToList(kept.at(static_cast<qsizetype>(i)));
    if (order.empty()) return;
    const QScopedValueRollback through(playingThrough_, true);
    PlayFile(kept.at(static_cast<qsizetype>(order.front())));
}

void MainWindow::readFilmStatus(const QFileInfo& info) {
    if (!info.exists()) {
        // Gone since it was listed: no status to show.
        createdText_.clear();
        sizeText_.clear();
        return;
    }
    createdText_ = localTimeText(creationTime(info));
    sizeText_ = QString::fromStdString(MegabyteText(static_cast<std::uint64_t>(info.size())));
}

int MainWindow::AddFileToList(const QString& path) {
    const QString name = QString::fromStdString(FilmNameOf(path.toStdString()));
    const QFileInfo info(path);
    if (!HasAcceptedEnding(path.toStdString()) || !info.isFile()) return 0;
    readFilmStatus(info);
    durationText_.clear();
    resolutionText_.clear();
    if (filmList_->FindName(name) >= 0) return 1;
    filmList_->InsertFilm(path, name, sizeText_, createdText_, durationText_, resolutionText_);
    reads_->Request(path);
    return 1;
}

void MainWindow::takeFilmsRead(const std::vector<FilmRead>& batch) {
    const QStringList paths = filmList_->Paths();
    const QSet<QString> listed(paths.cbegin(), paths.cend());
    QHash<QString, QString> times;
    QHash<QString, QString> counts;
    QStringList stored;
    for (const FilmRead& read : batch) {
        // Deleted from the list since it was asked for.
        if (!listed.contains(read.path)) continue;
        if (read.seconds)
            times.insert(read.path, QString::fromStdString(ClockText(WholeSeconds(*read.seconds))));
        const std::string path = read.path.toStdString();
        if (records_.Put(path, read.records)) stored << read.path;
        counts.insert(read.path, eventCountText(*records_.Find(path)));
    }
    filmList_->FillTimes(times);
    filmList_->FillEvents(counts);
    if (!stored.isEmpty()) emit filmRecordsRead(stored);
}

void MainWindow::keepCurrentRecords(FilmRecords records) {
    if (filmList_->FindPath(currentFilm_) < 0) return;
    // Read here already: the background reader need not read it again.
    reads_->DropQueued([this](const QString& path) { return path == currentFilm_; });
    const std::string path = currentFilm_.toStdString();
    const bool added = records_.Put(path, std::move(records));
    filmList_->FillEvents({{currentFilm_, eventCountText(*records_.Find(path))}});
    if (added) emit filmRecordsRead({currentFilm_});
}

void MainWindow::forgetUnlisted() {
    const QStringList paths = filmList_->Paths();
    const QSet<QString> listed(paths.cbegin(), paths.cend());
    records_.RetainIf(
        [&](const std::string& path) { return listed.contains(QString::fromStdString(path)); });
    reads_->DropQueued([&](const QString& path) { return !listed.contains(path); });
}

const FilmRecords* MainWindow::ListedFilmRecords(const QString& path) const {
    return records_.Find(path.toStdString());
}

void MainWindow::PlayFile(const QString& path) {
    if (path.isEmpty()) return;
    if (loading_) {
        pendingFilm_ = path;
        return;
    }
    for (QString film = path; !film.isEmpty();) {
        currentFilm_ = film;
        pendingFilm_.clear();
        bool opened = false;
        {
            const QScopedValueRollback loading(loading_, true);
            opened = LoadCurrentFilm();
        }
        film = pendingFilm_;
        // The film's message box has been closed by now; the trip goes on past it.
        if (film.isEmpty() && !opened && playingThrough_)
            film = filmList_->NeighbourPath(currentFilm_, 1);
    }
    prepareNextFilm();
}

void MainWindow::resetInstruments() {
    LineChart& chart = instrumentView_->Chart();
    SpeedDial& speed = instrumentView_->Speedometer();
    CompassDial& compass = instrumentView_->Compass();
    if (chart.LineCount() > 0) {
        chart.RemoveAllLines();
        chart.Halt();
        chart.repaint();
    }
    if (speed.ValueCount() > 0) speed.ClearValues();
    if (compass.ValueCount() > 0) compass.ClearValues();
    chart.SetMarks({});
    for (ColorRef colour : kLineColours) chart.AddLine(colour);
    ChartAxis& values = chart.ValueAxis();
    values.colour = kGridColour;
    values.minimum = 0.0;
    values.maximum = kChartTop;
    chart.RecalcLayout();
    chart.SetPosition(0);
    chart.SetPeriod(1000);
    speed.SetPeriod(1000);
    speed.SetPosition(0);
    compass.SetPeriod(1000);
    compass.SetPosition(0);
}

bool MainWindow::LoadCurrentFilm() {
    // A page still on its way gets this film's calls, kept for it.
    resendPending_ = false;
    filmList_->SelectFilm(currentFilm_);
    hasSamples_ = false;
    readFilmStatus(QFileInfo(currentFilm_));
    syncRecords_.clear();
    syncRecords_.shrink_to_fit();
    StopSync();
    resetInstruments();

    FilmSamples film = takeSamples();
    const int provider = MapProvider();
    LineChart& chart = instrumentView_->Chart();
    SpeedDial& speed = instrumentView_->Speedometer();
    CompassDial& compass = instrumentView_->Compass();
    syncRecords_.reserve(film.samples.size());
    for (std::size_t i = 0; i < film.samples.size(); ++i) {
        const DerivedSample& sample = film.samples[i];
        speed.AddValue(sample.fixValid ? sample.speedKmh : 0.0);
        compass.AddValue(sample.fixValid ? sample.course : 180.0);
        feeder_->PlotSample(sample, provider);
        const double x = static_cast<double>(i);
        for (int axis = 0; axis < 3; ++axis)
            chart.Line(static_cast<std::size_t>(axis))
                .AddPoint(x, static_cast<double>(sample.gsensor[static_cast<std::size_t>(axis)]));
        syncRecords_.push_back(sample.sync);
    }
    std::size_t count = 0;
    if (film.hasSamples) {
        hasSamples_ = true;
        count = film.samples.size();
    } else {
        StopSync();
    }
    film.records.clear();
    film.records.shrink_to_fit();
    FilmRecords records = SummariseRecords(film.samples, film.hasSamples, eventG_.load());
    currentEvents_ = records.events;
    chart.SetMarks(currentEvents_);
    keepCurrentRecords(std::move(records));
    // Joined the whole trip with its records just kept: the one drawn on top there.
    const int tripId = tripFilmId(currentFilm_);
    trip_->Highlight(tripId != 0 ? tripId : TripFeeder::kNoFilm);

    const bool opened = filmView_->OpenFilm(currentFilm_);
    if (opened) filmView_->SetEventSeconds(currentEvents_);
    durationText_ = filmView_->GetDurationText();
    if (count != 0) {
        const long long duration = std::max(0, filmView_->GetDurationSeconds());
        samplePeriod_ = static_cast<int>(
            std::min<long long>(duration * 1000 / static_cast<long long>(count), INT_MAX));
        feeder_->Play(stepPeriod());
        toldMarker(0, stepPeriod(), true);
        chart.SetPeriod(stepPeriod());
        speed.SetPeriod(stepPeriod());
        compass.SetPeriod(stepPeriod());
        chart.StartAt(0);
        speed.StartAt(0);
        compass.StartAt(0);
    } else {
        samplePeriod_ = 0;
    }
    resolutionText_ = filmView_->GetResolutionText();
    filmList_->UpdateFilm(currentFilm_,
                          QString::fromStdString(FilmNameOf(currentFilm_.toStdString())), sizeText_,
                          createdText_, durationText_, resolutionText_);
    // The instruments started before the first sample: they show second 0 from the start.
    if (opened) followEngine();
    return opened;
}

FilmSamples MainWindow::takeSamples() {
    const LocatorMessageSink sink = [this](const std::string& message) {
        ShowMessage(QString::fromStdString(message));
    };
    std::unique_ptr<SamplePrefetch> prepared = std::move(preparedSamples_);
    const bool ready = prepared && preparedFilm_ == currentFilm_;
    preparedFilm_.clear();
    if (!ready) {
        prepared.reset();
        return LoadFilmSamples(std::filesystem::path(currentFilm_.toStdU16String()), sink,
                               options_.locators);
    }
    std::vector<std::string> messages;
    FilmSamples film = prepared->Take(messages);
    // Shown where reading the records would have shown them.
    for (const std::string& message : messages) sink(message);
    return film;
}

void MainWindow::prepareNextFilm() {
    // Not while a film loads: its end decides, and a film that did not open has no next.
    if (loading_ || !filmView_ || !filmList_) return;
    const bool playing = !currentFilm_.isEmpty() && filmView_->engine().GetVideoSize();
    const QString next = playing ? filmList_->NeighbourPath(currentFilm_, 1) : QString();
    if (next == preparedFilm_) return;
    preparedSamples_.reset();
    preparedFilm_ = next;
    if (!next.isEmpty())
        preparedSamples_ = std::make_unique<SamplePrefetch>(
            std::filesystem::path(next.toStdU16String()), options_.locators);
    filmView_->PrepareNextFilm(next);
}

void MainWindow::ResumeSync(const QString& position) {
    if (!hasSamples_) return;
    alignPanes(ParsePositionText(position.toStdString()), true, true);
}

void MainWindow::FollowFilm(double position) {
    alignPanes(std::max(0, WholeSeconds(position)), filmView_->engine().IsRunning(), false);
}

void MainWindow::followEngine() {
    // Moves the window made itself (a load, a pause, the end): the film pane's labels
    // have not been told, the other panes follow them.
    FilmEngine& engine = filmView_->engine();
    if (!engine.GetVideoSize()) return;
    const double position = engine.GetPosition().value_or(0.0);
    if (filmView_->shownSecond() != std::max(0, WholeSeconds(position)))
        filmView_->UpdateOverlay(position);
    FollowFilm(position);
}

void MainWindow::alignPanes(int second, bool running, bool all) {
    if (!hasSamples_ || syncRecords_.empty()) return;
    const int last = static_cast<int>(std::min<std::size_t>(syncRecords_.size(), INT_MAX)) - 1;
    const int target = std::clamp(second, 0, last);
    const bool steps = stepPeriod() > 0;
    const auto align = [&](auto& instrument) {
        // An instrument shows the sample before its position; one at the end stops itself.
        const bool off =
            all || instrument.Position() - 1 != target ||
            (running && steps && !instrument.TimerRunning() && instrument.Position() <= last);
        if (off) {
            instrument.StartAt(target + 1);
            if (!running) instrument.Pause();
        } else if (!running && instrument.TimerRunning()) {
            instrument.Pause();
        }
    };
    align(instrumentView_->Chart());
    align(instrumentView_->Speedometer());
    align(instrumentView_->Compass());

    const bool markerOff =
        all || markerSecond() != target || (running && !markerRunning_ && target < last);
    if (markerOff) {
        const int period = PeriodAtSpeed(1000, speed_);
        feeder_->ResumeAt(target, period);
        if (!running) feeder_->Pause();
        toldMarker(target, period, running);
    } else if (!running && markerRunning_) {
        feeder_->Pause();
        toldMarker(target, markerPeriod_, false);
    }
}

int MainWindow::markerSecond() const {
    if (markerStart_ < 0 || syncRecords_.empty()) return -1;
    const long long steps =
        markerRunning_ && markerPeriod_ > 0 ? markerClock_.elapsed() / markerPeriod_ : 0;
    // The page's marker stops on the last point.
    const long long last = static_cast<long long>(syncRecords_.size()) - 1;
    return static_cast<int>(std::min(markerStart_ + steps, last));
}

void MainWindow::toldMarker(int second, int periodMs, bool running) {
    markerStart_ = second;
    markerPeriod_ = periodMs;
    markerRunning_ = running;
    markerClock_.start();
}

int MainWindow::stepPeriod() const {
    return PeriodAtSpeed(samplePeriod_, speed_);
}

MainWindow::PaneSeconds MainWindow::paneSeconds() const {
    return {markerSecond(), instrumentView_->Chart().Position() - 1,
            instrumentView_->Speedometer().Position() - 1,
            instrumentView_->Compass().Position() - 1, filmView_->shownSecond()};
}

void MainWindow::SpeedChanged(double factor) {
    speed_ = factor;
    for (std::size_t i = 0; i < kPlaySpeedCount; ++i)
        setChecked(kCmdSpeedFirst + static_cast<int>(i), kPlaySpeeds[i] == factor);
    if (!hasSamples_) return;
    instrumentView_->Chart().SetPeriod(stepPeriod());
    instrumentView_->Speedometer().SetPeriod(stepPeriod());
    instrumentView_->Compass().SetPeriod(stepPeriod());
    FilmEngine& engine = filmView_->engine();
    // Running, every pane steps anew at the new pace from the film's second.
    if (engine.IsRunning())
        alignPanes(WholeSeconds(engine.GetPosition().value_or(0.0)), true, true);
}

void MainWindow::StopSync() {
    instrumentView_->Chart().Halt();
    instrumentView_->Compass().Halt();
    instrumentView_->Speedometer().Halt();
    feeder_->Stop();
    markerStart_ = -1;
}

void MainWindow::PauseMapTrack() {
    feeder_->Pause();
    if (markerStart_ >= 0) toldMarker(markerSecond(), markerPeriod_, false);
}

void MainWindow::StopInstrumentTimers() {
    instrumentView_->Chart().Pause();
    instrumentView_->Speedometer().Pause();
    instrumentView_->Compass().Pause();
    // Paused or stopped (and rewound): the panes hold the film's second.
    followEngine();
}

void MainWindow::CloseFilm() {
    preparedSamples_.reset();
    preparedFilm_.clear();
    filmView_->CloseFilm();
    StopSync();
    trip_->Highlight(TripFeeder::kNoFilm);
    currentFilm_.clear();
    hasSamples_ = false;
    syncRecords_.clear();
    currentEvents_.clear();
    instrumentView_->Chart().SetMarks({});
}

void MainWindow::PlayNextFilm() {
    // The end of the film being replaced, reported from a message box's event loop
    // inside the next load: that load already decides what plays.
    if (loading_) return;
    const QScopedValueRollback through(playingThrough_, true);
    filmList_->PlayNext(currentFilm_);
    // The last film ends rewound: every pane shows its first second.
    followEngine();
}

void MainWindow::JumpToEvent(int direction) {
    if (loading_ || currentFilm_.isEmpty() || direction == 0) return;
    FilmEngine& engine = filmView_->engine();
    if (!engine.GetVideoSize()) return;
    if (const std::optional<double> landing =
            EventJump(currentEvents_, engine.GetPosition().value_or(0.0), direction)) {
        filmView_->JumpTo(*landing);
        return;
    }
    const QStringList paths = filmList_->Paths();
    const qsizetype step = direction > 0 ? 1 : -1;
    for (qsizetype row = paths.indexOf(currentFilm_) + step; row >= 0 && row < paths.size();
         row += step) {
        // A film not read yet is passed over, as one without events.
        const FilmRecords* records = records_.Find(paths[row].toStdString());
        if (!records || records->events.empty()) continue;
        const int event = step > 0 ? records->events.front() : records->events.back();
        PlayFile(paths[row]);
        if (currentFilm_ == paths[row] && !loading_) filmView_->JumpTo(EventLanding(event));
        return;
    }
}

void MainWindow::PlayPrevious(const QString& path) {
    filmList_->PlayPrevious(path);
}

void MainWindow::PlayNext(const QString& path) {
    filmList_->PlayNext(path);
}

void MainWindow::ChangeLanguage(const QString& code) {
    const QString kept = QString::fromStdString(TitleTail(windowTitle().left(255).toStdString()));
    ApplyLanguage(code.toStdString());
    ReTextMenu(menuBar());
    menuBar()->update();
    ReTextWindow(this, kDialogId);
    ReTextWindow(filmView_, 104);
    ReTextWindow(filmList_, 105);
    filmView_->ShowPlayState();
    setWindowTitle(QStringLiteral("%1 | %2").arg(windowTitle(), kept));
    if (const MapProviderEntry* map = FindMapProvider(MapProvider())) {
        // Only the five languages of the menu have a Google page of their own.
        if (map->provider != kMapGoogle || isMenuLanguage(code.toStdString()))
            loadMapPage(MapPageIdFor(map->provider, code.toStdString()));
        setChecked(map->menuCommand, true);
    }
    checkLanguage(code.toStdString());
    checkUnit();
}

void PrepareMainWindowProcess() {
    BrowserView::UseSoftwareComposition();
    // Every film starts and ends the engine's decoder threads. With an allocator arena per
    // thread, memory freed in them stays resident and the player grew with each film played.
    mallopt(M_ARENA_MAX, 2);
}

namespace {

// Qt's messages while the application object is made: kept back, because when the
// window system cannot be reached Qt prints several lines and aborts.
QStringList& heldMessages() {
    static QStringList messages;
    return messages;
}

void holdStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", kDisplayUnreachableMessage);
        std::_Exit(1);
    }
    heldMessages() << qFormatLogMessage(type, context, text);
}

}  // namespace

int RunMainWindow(int argc, char** argv) {
    const std::string noDisplay =
        MissingDisplayMessage([](const char* name) { return std::getenv(name); });
    if (!noDisplay.empty()) {
        std::fprintf(stderr, "%s\n", noDisplay.c_str());
        return 1;
    }
    RegisterMapSchemes();  // before the application object, as the browser engine requires
    PrepareMainWindowProcess();
    const QtMessageHandler previous = qInstallMessageHandler(holdStartMessage);
    QApplication application(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& message : std::exchange(heldMessages(), {}))
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    // libmpv needs C number formatting, and Qt has just set the locale.
    std::setlocale(LC_NUMERIC, "C");
    InitAppPaths(argc, argv);
    QApplication::setWindowIcon(TesmiraIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral(TESMIRA_APP_ID));

    MainWindow window;
    window.InitDialog(QApplication::arguments().mid(1));
    return application.exec();
}

}  // namespace tesmira
