#include "playback/film_view.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegion>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QUrl>

#include "app/app_paths.h"
#include "app/language_pack.h"
#include "app/settings.h"
#include "playback/film_player_engine.h"
#include "playback/film_view_texts.h"
#include "playback/play_speeds.h"
#include "playback/progress_slider.h"
#include "widgets/overlay_label.h"
#include "widgets/stock_bitmaps.h"
#include "widgets/video_area.h"

namespace tesmira {
namespace {

constexpr unsigned kLabelTextColour = 0x0F0D0D;
// The product's name, whatever the program file is called.
const QString kMessageTitle = QStringLiteral("Tesmira");
// The widest position text of a fix; digits are equally wide in the label fonts.
const QString kWidestPosition = QStringLiteral("S00.000000,W000.000000");
// Air either side of the position text, and the gap kept to the speed label.
constexpr int kLabelPadding = 4;
constexpr int kSpeedLabelRight = 10 + 100;
constexpr int kPositionLabelWidth = 150;
constexpr int kSmallestLabelPixels = 8;
// The transport buttons: the narrowest a button gets, the gap between two, and the first x
// clear of the volume slider.
constexpr int kButtonWidth = 60;
constexpr int kButtonGap = 5;
constexpr int kButtonAir = 6;
constexpr int kVolumeRight = 33 + 80 + 2;

// The speaker with a red cross over it, shown while the sound is off.
QPixmap mutedSpeaker() {
    QPixmap picture = QPixmap::fromImage(StockBitmap(kSpeakerBitmapId));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(220, 0, 0), 2));
    const QRectF box = QRectF(picture.rect()).adjusted(8, 7, -1, -2);
    painter.drawLine(box.topLeft(), box.bottomRight());
    painter.drawLine(box.bottomLeft(), box.topRight());
    return picture;
}

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

template <typename T>
T* withId(T* widget, int id) {
    widget->setProperty("controlId", id);
    return widget;
}

OverlayLabel* makeOverlayLabel(QWidget* parent, int id, const QString& text) {
    auto* label = withId(new OverlayLabel(text, parent), id);
    label->setTextColor(ColorFromColorRef(kLabelTextColour));
    label->setLabelFont("Arial", 16, 700);
    label->setCenterImage(true);
    return label;
}

}  // namespace

FilmView::FilmView(FilmHost& host, std::unique_ptr<FilmEngine> engine, QWidget* parent,
                   Environment environment)
    : QWidget(parent),
      host_(host),
      environment_(std::move(environment)),
      engine_(engine ? std::move(engine) : MakeFilmPlayerEngine()) {
    setAcceptDrops(true);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    // A click anywhere on the pane gives it the player's keys.
    setFocusPolicy(Qt::ClickFocus);

    videoArea_ = withId(new VideoArea(this), kVideoAreaId);
    videoArea_->setPictureId(kIdlePictureId);

    playPause_ = withId(new QPushButton("play", this), kPlayPauseId);
    stop_ = withId(new QPushButton("stop", this), kStopId);
    previous_ = withId(new QPushButton("<<", this), kPreviousId);
    next_ = withId(new QPushButton(">>", this), kNextId);
    screenshot_ = withId(new QPushButton(this), kScreenshotId);
    screenshot_->setIcon(QIcon(QPixmap::fromImage(StockBitmap(kCameraBitmapId))));
    screenshot_->setIconSize(QSize(42, 28));

    progress_ = withId(new ProgressSlider(this), kProgressId);
    progress_->setRange(0, 1000);
    progress_->setTickPosition(QSlider::NoTicks);
    progress_->setPageStep(200);  // a fifth of the range: a click beside the thumb

    // The engine's volume scale; a film sets it again when it opens.
    volume_ = withId(new QSlider(Qt::Horizontal, this), kVolumeId);
    volume_->setRange(-10000, 0);
    volume_->setValue(0);
    volume_->setTickPosition(QSlider::NoTicks);
    volume_->setPageStep(2000);
    // Without a film there is nothing to seek or to make louder.
    progress_->setEnabled(false);
    volume_->setEnabled(false);

    speaker_ = withId(new QLabel(this), kSpeakerId);
    speaker_->setPixmap(QPixmap::fromImage(StockBitmap(kSpeakerBitmapId)));
    speaker_->setCursor(Qt::PointingHandCursor);
    timeText_ = withId(new QLabel("00:00:00/00:00:00", this), kTimeTextId);

    // No control id: re-texting leaves it to the pane.
    notice_ = new QLabel(this);
    notice_->setObjectName("notice");
    notice_->setTextFormat(Qt::PlainText);
    notice_->setStyleSheet(QStringLiteral(
        "QLabel { background: rgba(0, 0, 0, 170); color: white; padding: 4px 8px; }"));
    notice_->hide();
    noticeTimer_ = new QTimer(this);
    noticeTimer_->setSingleShot(true);
    connect(noticeTimer_, &QTimer::timeout, notice_, &QWidget::hide);

    speedLabel_ = makeOverlayLabel(this, kSpeedLabelId, fromUtf8(std::string(kSpeedPlaceholder)));
    positionLabel_ =
        makeOverlayLabel(this, kPositionLabelId, fromUtf8(std::string(kPositionPlaceholder)));
    positionFont_ = positionLabel_->font();

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setObjectName("refreshTimer");
    refreshTimer_->setInterval(kRefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, &FilmView::RefreshTick);

    connect(playPause_, &QPushButton::clicked, this, &FilmView::PlayPause);
    connect(stop_, &QPushButton::clicked, this, &FilmView::StopFilm);
    connect(previous_, &QPushButton::clicked, this, &FilmView::PreviousFilm);
    connect(next_, &QPushButton::clicked, this, &FilmView::NextFilm);
    connect(screenshot_, &QPushButton::clicked, this, &FilmView::SaveScreenshot);

    // Paging and dragging hold the refresh off so the slider follows the user;
    // the end of the interaction seeks.
    connect(progress_, &QSlider::sliderPressed, this, &FilmView::stopRefresh);
    connect(progress_, &QSlider::actionTriggered, this, &FilmView::onProgressAction);
    connect(progress_, &ProgressSlider::endTrack, this, &FilmView::onProgressEndTrack);
    connect(volume_, &QSlider::valueChanged, this, [this](int value) {
        engine_->SetVolume(value);
        showVolumeState();
    });

    engine_->SetEventSink([this](long code) { OnGraphEvent(code); });
    // Double-clicks and the player's keys are looked at before any child handles them.
    qApp->installEventFilter(this);
}

FilmView::~FilmView() {
    if (qApp) qApp->removeEventFilter(this);
    refreshTimer_->stop();
    engine_->SetEventSink(nullptr);
    engine_->Close();
}

FilmView::Environment FilmView::DefaultEnvironment() {
    Environment environment;
    environment.dataFolder = [] { return QString::fromStdString(DataFolder()); };
    environment.readUnit = [] { return ReadUnit(); };
    environment.localTime = [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return local;
    };
    return environment;
}

QWidget* FilmView::control(int id) const {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->property("controlId").toInt() == id) return child;
    }
    return nullptr;
}

bool FilmView::refreshTimerActive() const {
    return refreshTimer_->isActive();
}

bool FilmView::filmLoaded() {
    return engine_->GetVideoSize().has_value();
}

void FilmView::startRefresh() {
    refreshTimer_->start(kRefreshMs);
}

void FilmView::stopRefresh() {
    refreshTimer_->stop();
}

void FilmView::setProgress(int value) {
    const QSignalBlocker block(progress_);
    progress_->setValue(value);
}

void FilmView::showNoFilm() {
    // Nothing is left to seek or play, and the time text and labels must not go on
    // showing the previous film's second.
    progress_->setEnabled(false);
    volume_->setEnabled(false);
    stopRefresh();
    playPause_->setText(playText_);
    durationSeconds_ = 0;
    durationText_ = fromUtf8(ClockText(0));
    setProgress(0);
    progress_->SetMarks({});
    UpdateOverlay(0.0);
}

bool FilmView::OpenFilm(const QString& path) {
    ++opens_;
    // The film's host marks its events once it is open.
    progress_->SetMarks({});
    videoArea_->setPictureId(kIdlePictureId);
    videoArea_->update();

    if (!engine_->Open(path, videoArea_)) {
        // The engine has closed the film before.
        showNoFilm();
        // In a list played through, the box alone tells which film was passed over.
        ShowMessage(QStringLiteral("Render Error\n%1").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    progress_->setEnabled(true);
    volume_->setEnabled(true);

    // Full volume, unless the user silenced the player: the next film of the list stays quiet.
    const bool muted = volume_->value() <= volume_->minimum();
    engine_->SetVolume(muted ? -10000 : 0);
    {
        const QSignalBlocker block(volume_);
        volume_->setRange(-10000, 0);
        volume_->setValue(muted ? -10000 : 0);
    }
    showVolumeState();

    QWidget* mainWindow = window();
    mainWindow->setWindowTitle(QString::fromStdU16String(
        FilmWindowTitle(mainWindow->windowTitle().toStdU16String(), path.toStdU16String())));

    engine_->SetVideoPosition(0, 0, videoArea_->width(), videoArea_->height());
    // The chosen speed goes on with the next films of the list.
    engine_->setSpeed(speed());

    engine_->Run();
    playPause_->setText(pauseText_);
    startRefresh();

    durationSeconds_ = engine_->GetDuration();
    durationText_ = fromUtf8(ClockText(durationSeconds_));

    UpdateOverlay(0.0);

    progress_->setRange(0, 1000);
    setProgress(0);
    update();
    return true;
}

void FilmView::CloseFilm() {
    engine_->Close();
    showNoFilm();
    QWidget* mainWindow = window();
    // The title names no film any more: "Tesmira | " without its tail.
    mainWindow->setWindowTitle(
        QString::fromStdU16String(FilmWindowTitle(mainWindow->windowTitle().toStdU16String(), u""))
            .chopped(3));
    update();
}

void FilmView::SetEventSeconds(const std::vector<int>& seconds) {
    std::vector<int> values;
    if (durationSeconds_ > 0) {
        values.reserve(seconds.size());
        for (int second : seconds) values.push_back(ProgressValue(second, durationSeconds_));
    }
    progress_->SetMarks(std::move(values));
}

const std::vector<int>& FilmView::EventMarks() const {
    return progress_->Marks();
}

void FilmView::JumpTo(double seconds) {
    if (!filmLoaded()) return;
    const double target = std::max(0.0, seconds);
    if (durationSeconds_ > 0 && target >= durationSeconds_) return;
    setProgress(ProgressValue(target, durationSeconds_));
    seekTo(target);
}

void FilmView::PrepareNextFilm(const QString& path) {
    engine_->PrepareNext(path);
}

QString FilmView::GetDurationText() {
    return fromUtf8(ClockText(engine_->GetDuration()));
}

int FilmView::GetDurationSeconds() {
    return engine_->GetDuration();
}

QString FilmView::GetResolutionText() {
    const QSize size = engine_->GetVideoSize().value_or(QSize(0, 0));
    return QString("%1 x %2").arg(size.width()).arg(size.height());
}

void FilmView::PlayPause() {
    if (!filmLoaded()) return;
    if (engine_->IsRunning()) {
        engine_->Pause();
        playPause_->setText(playText_);
        videoArea_->setPictureId(0);
        videoArea_->update();
        stopRefresh();
        host_.PauseMapTrack();
        host_.StopInstrumentTimers();
    } else {
        engine_->Run();
        playPause_->setText(pauseText_);
        startRefresh();
        const double position = engine_->GetPosition().value_or(0.0);
        host_.ResumeSync(QString::number(WholeSeconds(position)));
    }
    update();
}

void FilmView::StopFilm() {
    stopRefresh();
    setProgress(0);
    engine_->Stop();
    engine_->SetPosition(0.0);
    playPause_->setText(playText_);
    host_.PauseMapTrack();
    host_.StopInstrumentTimers();
    showSecondAfterStop();
    update();
}

void FilmView::showSecondAfterStop() {
    // The picture is back at the start: time text and labels say so too.
    if (filmLoaded()) UpdateOverlay(0.0);
}

void FilmView::PreviousFilm() {
    host_.PlayPrevious(host_.CurrentFilm());
}

void FilmView::NextFilm() {
    host_.PlayNext(host_.CurrentFilm());
}

void FilmView::SaveScreenshot() {
    const QString folder = environment_.dataFolder() + "screenshot/";
    if (!QFileInfo(folder).isDir()) QDir().mkdir(folder);
    const std::tm time = environment_.localTime();
    const QString target = folder + fromUtf8(ScreenshotFileName(time));
    if (!filmLoaded()) return;

    // The frame goes to a file of its own first, which then takes the first free name of the
    // second: a picture the user took before is never overwritten.
    const QString partial = target + ".part";
    QFile::remove(partial);
    // The user pressed the button and waits for a picture: a failure is said, not swallowed.
    const auto fail = [&] {
        QFile::remove(partial);
        ShowMessage(QStringLiteral("The screenshot could not be saved:\n%1")
                        .arg(QDir::toNativeSeparators(target)));
    };
    if (!engine_->SaveCurrentImage(partial)) {
        fail();
        return;
    }
    constexpr int kMostPerSecond = 1000;
    for (int number = 1; number <= kMostPerSecond; ++number) {
        const QString name = folder + fromUtf8(ScreenshotFileName(time, number));
        // Qt renames without replacing: a name taken meanwhile fails here, never overwrites.
        if (QFile::rename(partial, name)) {
            QString text =
                QString::fromStdString(UiText(kScreenshotNoticeKey, kScreenshotNoticeText));
            if (!text.contains(QLatin1String("%1"))) text += QStringLiteral(" %1");
            showNotice(text.arg(QDir::toNativeSeparators(name)));
            return;
        }
        if (!QFileInfo::exists(name)) break;  // failed for another reason than a taken name
    }
    fail();
}

void FilmView::ToggleMute() {
    const bool muted = volume_->value() <= volume_->minimum();
    if (!muted) volumeBeforeMute_ = volume_->value();
    // Back from silence to a volume that is heard, even after the slider was pulled down.
    const int restored = volumeBeforeMute_ > volume_->minimum() ? volumeBeforeMute_ : 0;
    volume_->setValue(muted ? restored : volume_->minimum());
}

void FilmView::showVolumeState() {
    const bool muted = volume_->value() <= volume_->minimum();
    speaker_->setPixmap(muted ? mutedSpeaker() : QPixmap::fromImage(StockBitmap(kSpeakerBitmapId)));
}

void FilmView::showNotice(const QString& text) {
    const int room = std::max(0, videoArea_->width() - 20);
    notice_->setText(
        notice_->fontMetrics().elidedText(text, Qt::ElideMiddle, std::max(0, room - 16)));
    notice_->adjustSize();
    notice_->move(videoArea_->x() + 10, videoArea_->y() + 10);
    notice_->raise();
    notice_->show();
    noticeTimer_->start(kNoticeMs);
}

void FilmView::setPlayText(const QString& text) {
    playText_ = text;
    // Re-texting sets the texts one button after another: fit them once it is done.
    QTimer::singleShot(0, this, &FilmView::placeButtons);
}

void FilmView::setPauseText(const QString& text) {
    pauseText_ = text;
    QTimer::singleShot(0, this, &FilmView::placeButtons);
}

void FilmView::ShowPlayState() {
    if (filmLoaded()) {
        if (engine_->IsRunning()) playPause_->setText(pauseText_);
        UpdateOverlay(0.0);
    }
    placeButtons();
}

void FilmView::RefreshTick() {
    if (!filmLoaded()) return;
    const double position = engine_->GetPosition().value_or(0.0);
    const int value = ProgressValue(position, durationSeconds_);
    if (value != progress_->value()) setProgress(value);
    UpdateOverlay(position);
    host_.FollowFilm(position);
}

void FilmView::UpdateOverlay(double position) {
    if (position == 0.0) position = engine_->GetPosition().value_or(0.0);
    const int second = WholeSeconds(position);
    shownSecond_ = second;
    showTimeText(second);

    const std::vector<VIDEO_SYNC_OUTPUT_T>& records = host_.SyncRecords();
    if (second >= 0 && static_cast<std::size_t>(second) < records.size()) {
        const VIDEO_SYNC_OUTPUT_T& record = records[static_cast<std::size_t>(second)];
        const QString position = QString::fromLocal8Bit(PositionLabelText(record));
        if (position != positionLabel_->text()) {
            positionLabel_->setText(position);
            fitPositionLabel();
        }
        if (const auto speed = SpeedLabelText(record, environment_.readUnit()))
            speedLabel_->setText(fromUtf8(*speed));
    } else {
        speedLabel_->setText(fromUtf8(std::string(kSpeedPlaceholder)));
        positionLabel_->setText(fromUtf8(std::string(kPositionPlaceholder)));
        fitPositionLabel();
    }
}

void FilmView::showTimeText(int second) {
    timeText_->setText(fromUtf8(ClockText(second)) + "/" + durationText_ + speedSuffix());
}

QString FilmView::speedSuffix() const {
    if (speedIndex_ == kNormalSpeed) return {};
    return QStringLiteral(" ") + fromUtf8(SpeedText(speed()));
}

int FilmView::timeTextWidth() const {
    constexpr int kWidth = 120;
    // Room for the speed beside the time text when it is not the normal one.
    const QString suffix = speedSuffix();
    if (suffix.isEmpty()) return kWidth;
    const int text = timeText_->fontMetrics().horizontalAdvance("00:00:00/00:00:00" + suffix);
    return std::max(kWidth, text + 8);
}

double FilmView::speed() const {
    return kPlaySpeeds[speedIndex_];
}

void FilmView::SetSpeed(std::size_t index) {
    if (index >= kPlaySpeedCount) return;
    speedIndex_ = index;
    engine_->setSpeed(speed());
    // The time text grows by the speed beside it, and shrinks back at normal speed.
    layoutControls();
    if (filmLoaded())
        UpdateOverlay(0.0);
    else
        showTimeText(std::max(shownSecond_, 0));
    host_.SpeedChanged(speed());
}

void FilmView::OnGraphEvent(long code) {
    if (code == 1) {
        // With the next film ready, the ended one stays on its last frame until the next
        // takes over; rewound, its first frame would show for a moment in between. Only when
        // nothing else opens after all is it rewound and stopped as usual.
        const bool handingOver = !engine_->PreparedFilm().isEmpty();
        if (handingOver) {
            const int opens = opens_;
            stopRefresh();
            host_.PlayNextFilm();
            if (opens_ != opens) return;
        }
        engine_->SetPosition(0.0);
        engine_->Stop();
        playPause_->setText(playText_);
        // Rewound to the first frame: the slider, time text and labels show that second too.
        setProgress(0);
        stopRefresh();
        showSecondAfterStop();
        update();
        if (!handingOver) host_.PlayNextFilm();
    } else if (code == 3) {
        ShowMessage("Error");
    }
}

void FilmView::onProgressAction(int action) {
    switch (action) {
        case QAbstractSlider::SliderPageStepAdd:
        case QAbstractSlider::SliderPageStepSub:
            stopRefresh();
            break;
        case QAbstractSlider::SliderMove:
            if (progress_->isSliderDown()) stopRefresh();
            break;
        default:
            break;
    }
}

void FilmView::onProgressEndTrack() {
    if (!filmLoaded()) return;
    stopRefresh();
    const int value = progress_->value();
    if (value == 1000) {
        OnGraphEvent(1);
        return;
    }
    seekTo(ProgressPosition(value, durationSeconds_));
}

void FilmView::seekTo(double seconds) {
    stopRefresh();
    // The user aims at a second of the film: the exact frame, not the key frame before it.
    engine_->setPositionExact(seconds);
    if (engine_->IsRunning()) {
        startRefresh();
        host_.ResumeSync(QString::number(WholeSeconds(seconds)));
    }
    // Paused or stopped, no tick follows: the time text and labels are told now, and the
    // map and the instruments.
    UpdateOverlay(seconds);
    if (!engine_->IsRunning()) host_.FollowFilm(seconds);
}

void FilmView::seekBy(double seconds) {
    if (!filmLoaded()) return;
    const double target = std::max(0.0, engine_->GetPosition().value_or(0.0) + seconds);
    // Past the end is the end, as the slider released at its far right.
    if (durationSeconds_ > 0 && target >= durationSeconds_) {
        OnGraphEvent(1);
        return;
    }
    setProgress(ProgressValue(target, durationSeconds_));
    seekTo(target);
}

bool FilmView::HandleKey(int key) {
    switch (key) {
        case Qt::Key_Space:
            PlayPause();
            return true;
        case Qt::Key_Escape:
            if (filmLoaded() && engine_->IsFullScreen()) engine_->ToggleFullScreen(videoArea_);
            return true;
        case Qt::Key_F:
            if (filmLoaded()) engine_->ToggleFullScreen(videoArea_);
            return true;
        case Qt::Key_Left:
            seekBy(-kShortSeekSeconds);
            return true;
        case Qt::Key_Right:
            seekBy(kShortSeekSeconds);
            return true;
        case Qt::Key_Down:
            seekBy(-kLongSeekSeconds);
            return true;
        case Qt::Key_Up:
            seekBy(kLongSeekSeconds);
            return true;
        case Qt::Key_S:
            SaveScreenshot();
            return true;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            if (filmLoaded() && engine_->stepFrame(key == Qt::Key_Period)) {
                // The step ends a moment later; then the second it reached is shown.
                RefreshTick();
                QTimer::singleShot(kRefreshMs, this, [this] {
                    if (!refreshTimer_->isActive()) RefreshTick();
                });
            }
            return true;
        case Qt::Key_BracketLeft:
            SetSpeed(SlowerSpeed(speedIndex_));
            return true;
        case Qt::Key_BracketRight:
            SetSpeed(FasterSpeed(speedIndex_));
            return true;
        case Qt::Key_Backspace:
            SetSpeed(kNormalSpeed);
            return true;
        case Qt::Key_PageDown:
            host_.JumpToEvent(+1);
            return true;
        case Qt::Key_PageUp:
            host_.JumpToEvent(-1);
            return true;
        default:
            return false;
    }
}

bool FilmView::isPlayerKey(QWidget* target, const QKeyEvent& event) const {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier) return false;
    // A list keeps its own row keys (Enter and Delete are none of the player's), and the
    // menu bar, walked with the keyboard, its arrows.
    // A key the list leaves unused travels on to the list's parents: theirs it stays.
    const bool rowKey = event.key() == Qt::Key_Up || event.key() == Qt::Key_Down;
    QWidget* focus = target->window()->focusWidget();
    const bool inList = qobject_cast<QAbstractItemView*>(target) ||
                        (qobject_cast<QAbstractItemView*>(focus) && target->isAncestorOf(focus));
    if (rowKey && inList) return false;
    if (qobject_cast<QMenuBar*>(target)) return false;
    switch (event.key()) {
        case Qt::Key_Space:
        case Qt::Key_Escape:
        case Qt::Key_F:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_S:
        case Qt::Key_Period:
        case Qt::Key_Comma:
        case Qt::Key_BracketLeft:
        case Qt::Key_BracketRight:
        case Qt::Key_Backspace:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

void FilmView::ShowMessage(const QString& text) {
    QMessageBox::information(this, kMessageTitle, text, QMessageBox::Ok);
}

void FilmView::layoutControls() {
    const int w = width();
    const int h = height();
    const auto place = [](QWidget* widget, int x, int y, int cx, int cy) {
        widget->setGeometry(x, y, std::max(cx, 0), std::max(cy, 0));
    };
    // The picture starts right under the menu: no empty strip above it.
    place(videoArea_, 0, 0, w, h - 115);
    place(speedLabel_, 10, h - 110, 100, 25);
    place(positionLabel_, w - kPositionLabelWidth, h - 110, kPositionLabelWidth, 25);
    fitPositionLabel();
    const int timeWidth = timeTextWidth();
    place(progress_, 0, h - 75, w - timeWidth, 15);
    place(timeText_, w - timeWidth, h - 75, timeWidth, 30);
    place(speaker_, 15, h - 26, 16, 16);
    place(volume_, 33, h - 25, 80, 15);
    placeButtons();
    place(screenshot_, w - 60, h - 40, 60, 30);

    engine_->SetVideoPosition(0, 0, videoArea_->width(), videoArea_->height());
    videoArea_->update();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->update();
}

int FilmView::buttonWidth(QPushButton* button, const QStringList& texts) const {
    // What the style keeps of a button's width for frame and margins.
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = QRect(0, 0, 200, 30);
    const int frame =
        200 -
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, button->fontMetrics().horizontalAdvance(text));
    return std::max(kButtonWidth, widest + frame + 2 * kButtonAir);
}

void FilmView::placeButtons() {
    QPushButton* const row[] = {previous_, playPause_, stop_, next_};
    const int widths[] = {
        buttonWidth(previous_, {previous_->text()}),
        buttonWidth(playPause_, {playPause_->text(), playText_, pauseText_}),
        buttonWidth(stop_, {stop_->text()}),
        buttonWidth(next_, {next_->text()}),
    };
    int total = 3 * kButtonGap;
    for (int width : widths) total += width;
    // Centred where the row of four 60-pixel buttons stands, clear of the volume slider.
    const int fourNarrow = 4 * kButtonWidth + 3 * kButtonGap;
    int x = std::max(width() / 2 - 130 - (total - fourNarrow) / 2, kVolumeRight);
    const int y = height() - 40;
    for (int i = 0; i < 4; ++i) {
        const QRect wanted(x, y, widths[i], 30);
        if (row[i]->geometry() != wanted) row[i]->setGeometry(wanted);
        x += widths[i] + kButtonGap;
    }
}

void FilmView::fitPositionLabel() {
    const int room = width() - kSpeedLabelRight - kLabelPadding;
    const auto needed = [this](const QFont& font) {
        const QFontMetrics metrics(font);
        return std::max(metrics.horizontalAdvance(kWidestPosition),
                        metrics.horizontalAdvance(positionLabel_->text())) +
               2 * kLabelPadding;
    };
    QFont font = positionFont_;
    int wanted = needed(font);
    // Too narrow a pane even for the grown label: a smaller font instead.
    while (wanted > room && font.pixelSize() > kSmallestLabelPixels) {
        font.setPixelSize(font.pixelSize() - 1);
        wanted = needed(font);
    }
    if (font != positionLabel_->font()) positionLabel_->setFont(font);
    const int labelWidth = std::max(kPositionLabelWidth, wanted);
    const QRect wantedRect(width() - labelWidth, positionLabel_->y(), labelWidth,
                           positionLabel_->height());
    if (positionLabel_->geometry() != wantedRect) positionLabel_->setGeometry(wantedRect);
}

void FilmView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void FilmView::paintEvent(QPaintEvent*) {
    const std::optional<int> state = engine_->GetState();
    if (state == FilmEngine::Running || state == FilmEngine::Paused) return;
    static const QImage idle = StockBitmap(kIdlePictureId);
    QPainter painter(this);
    painter.drawImage(QRect(0, 0, width(), height() - 167), idle);
}

void FilmView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FilmView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FilmView::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    host_.OpenFilms(paths);
}

bool FilmView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        // Keys anywhere in the pane's window (list, map, buttons), or the full-screen
        // picture's, which it hands to the video area. Other windows (dialogs, menus) keep theirs.
        auto* target = qobject_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (!target || target->window() != window() || !isPlayerKey(target, *key)) return false;
        // The release is taken as well, or the progress slider would seek on it.
        if (event->type() == QEvent::KeyPress) HandleKey(key->key());
        event->accept();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && watched == speaker_) {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        ToggleMute();
        return true;
    }
    if (event->type() != QEvent::MouseButtonDblClick) return false;
    auto* target = qobject_cast<QWidget*>(watched);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (!target || mouse->button() != Qt::LeftButton) return false;
    return handleDoubleClick(target, mouse->position());
}

bool FilmView::handleDoubleClick(QWidget* target, const QPointF& position) {
    // Only the pane's own clicks count. The full-screen picture is a window of
    // its own, but it hands its clicks on to the video area, so they come here
    // as the area's; other windows (a message box, say) keep theirs.
    const bool inView = target == this || isAncestorOf(target);
    if (!inView || !filmLoaded()) return false;
    if (engine_->IsFullScreen()) {
        engine_->ToggleFullScreen(videoArea_);
        return true;
    }
    const QPoint point = target->mapTo(this, position.toPoint());
    if (!QRegion(videoArea_->geometry(), QRegion::Ellipse).contains(point)) return false;
    engine_->ToggleFullScreen(videoArea_);
    return true;
}

}  // namespace tesmira
