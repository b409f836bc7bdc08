#include "playback/film_view.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegion>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <system_error>

#include "app/app_paths.h"
#include "app/settings.h"
#include "playback/film_player_engine.h"
#include "playback/film_view_texts.h"
#include "playback/progress_slider.h"
#include "widgets/stock_bitmaps.h"
#include "widgets/strench_static.h"
#include "widgets/x_static.h"

namespace tesmira {
namespace {

constexpr unsigned kLabelTextColour = 0x0F0D0D;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

template <typename T>
T* withId(T* widget, int id) {
    widget->setProperty("controlId", id);
    return widget;
}

CxStatic* makeOverlayLabel(QWidget* parent, int id, const QString& text) {
    auto* label = withId(new CxStatic(text, parent), id);
    label->setTextColor(ColorFromColorRef(kLabelTextColour));
    label->setLabelFont("Arial", 16, 700);
    label->setCenterImage(true);
    return label;
}

}  // namespace

CFilmView::CFilmView(FilmHost& host, std::unique_ptr<FilmEngine> engine, QWidget* parent,
                     Environment environment)
    : QWidget(parent),
      host_(host),
      environment_(std::move(environment)),
      engine_(engine ? std::move(engine) : MakeFilmPlayerEngine()) {
    setAcceptDrops(true);

    videoArea_ = withId(new CStrenchStatic(this), kVideoAreaId);
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
    progress_->setPageStep(200);  // a fifth of the range, as trackbars page

    // The engine's volume scale; a film sets it again when it opens.
    volume_ = withId(new QSlider(Qt::Horizontal, this), kVolumeId);
    volume_->setRange(-10000, 0);
    volume_->setValue(0);
    volume_->setTickPosition(QSlider::NoTicks);
    volume_->setPageStep(2000);

    speaker_ = withId(new QLabel(this), kSpeakerId);
    speaker_->setPixmap(QPixmap::fromImage(StockBitmap(kSpeakerBitmapId)));
    timeText_ = withId(new QLabel("00:00:00/00:00:00", this), kTimeTextId);

    speedLabel_ = makeOverlayLabel(this, kSpeedLabelId, fromUtf8(std::string(kSpeedPlaceholder)));
    positionLabel_ =
        makeOverlayLabel(this, kPositionLabelId, fromUtf8(std::string(kPositionPlaceholder)));

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setObjectName("refreshTimer");
    refreshTimer_->setInterval(kRefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, &CFilmView::RefreshTick);

    connect(playPause_, &QPushButton::clicked, this, &CFilmView::PlayPause);
    connect(stop_, &QPushButton::clicked, this, &CFilmView::StopFilm);
    connect(previous_, &QPushButton::clicked, this, &CFilmView::PreviousFilm);
    connect(next_, &QPushButton::clicked, this, &CFilmView::NextFilm);
    connect(screenshot_, &QPushButton::clicked, this, &CFilmView::SaveScreenshot);

    // Paging and dragging hold the refresh off so the slider follows the user;
    // the end of the interaction seeks.
    connect(progress_, &QSlider::sliderPressed, this, &CFilmView::stopRefresh);
    connect(progress_, &QSlider::actionTriggered, this, &CFilmView::onProgressAction);
    connect(progress_, &ProgressSlider::endTrack, this, &CFilmView::onProgressEndTrack);
    connect(volume_, &QSlider::valueChanged, this,
            [this](int value) { engine_->SetVolume(value); });

    engine_->SetEventSink([this](long code) { OnGraphEvent(code); });
    // Double-clicks are looked at before any child handles them.
    qApp->installEventFilter(this);
}

CFilmView::~CFilmView() {
    if (qApp) qApp->removeEventFilter(this);
    refreshTimer_->stop();
    engine_->SetEventSink(nullptr);
    engine_->Close();
}

CFilmView::Environment CFilmView::DefaultEnvironment() {
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

QWidget* CFilmView::control(int id) const {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->property("controlId").toInt() == id) return child;
    }
    return nullptr;
}

bool CFilmView::refreshTimerActive() const {
    return refreshTimer_->isActive();
}

bool CFilmView::filmLoaded() {
    return engine_->GetVideoSize().has_value();
}

void CFilmView::startRefresh() {
    refreshTimer_->start(kRefreshMs);
}

void CFilmView::stopRefresh() {
    refreshTimer_->stop();
}

void CFilmView::setProgress(int value) {
    const QSignalBlocker block(progress_);
    progress_->setValue(value);
}

void CFilmView::OpenFilm(const QString& path) {
    videoArea_->setPictureId(kIdlePictureId);
    videoArea_->update();

    if (!engine_->Open(path, videoArea_)) {
        ShowMessage("Render Error");
        return;
    }

    engine_->SetVolume(0);
    {
        const QSignalBlocker block(volume_);
        volume_->setRange(-10000, 0);
        volume_->setValue(0);
    }

    QWidget* mainWindow = window();
    mainWindow->setWindowTitle(QString::fromStdU16String(
        FilmWindowTitle(mainWindow->windowTitle().toStdU16String(), path.toStdU16String())));

    engine_->SetVideoPosition(0, 0, videoArea_->width(), videoArea_->height());

    engine_->Run();
    playPause_->setText(pauseText_);
    startRefresh();

    durationSeconds_ = engine_->GetDuration();
    durationText_ = fromUtf8(ClockText(durationSeconds_));

    UpdateOverlay(0.0);

    progress_->setRange(0, 1000);
    setProgress(0);
    update();
}

QString CFilmView::GetDurationText() {
    return fromUtf8(ClockText(engine_->GetDuration()));
}

int CFilmView::GetDurationSeconds() {
    return engine_->GetDuration();
}

QString CFilmView::GetResolutionText() {
    const QSize size = engine_->GetVideoSize().value_or(QSize(0, 0));
    return QString("%1 x %2").arg(size.width()).arg(size.height());
}

void CFilmView::PlayPause() {
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

void CFilmView::StopFilm() {
    stopRefresh();
    setProgress(0);
    engine_->Stop();
    engine_->SetPosition(0.0);
    playPause_->setText(playText_);
    host_.PauseMapTrack();
    host_.StopInstrumentTimers();
    update();
}

void CFilmView::PreviousFilm() {
    host_.PlayPrevious(host_.CurrentFilm());
}

void CFilmView::NextFilm() {
    host_.PlayNext(host_.CurrentFilm());
}

void CFilmView::SaveScreenshot() {
    const QString folder = environment_.dataFolder() + "screenshot/";
    if (!QFileInfo(folder).isDir()) QDir().mkdir(folder);
    const QString target = folder + fromUtf8(ScreenshotFileName(environment_.localTime()));
    if (!filmLoaded()) return;

    // The frame goes to a file of its own first and then replaces any picture
    // of the same second whole, so no bytes of an older, larger file remain.
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
    std::error_code error;
    std::filesystem::rename(toPath(partial), toPath(target), error);
    if (error) fail();
}

void CFilmView::RefreshTick() {
    if (!filmLoaded()) return;
    const double position = engine_->GetPosition().value_or(0.0);
    const int value = ProgressValue(position, durationSeconds_);
    if (value != progress_->value()) setProgress(value);
    UpdateOverlay(position);
}

void CFilmView::UpdateOverlay(double position) {
    if (position == 0.0) position = engine_->GetPosition().value_or(0.0);
    const int second = WholeSeconds(position);
    timeText_->setText(fromUtf8(ClockText(second)) + "/" + durationText_);

    const std::vector<VIDEO_SYNC_OUTPUT_T>& records = host_.SyncRecords();
    if (second >= 0 && static_cast<std::size_t>(second) < records.size()) {
        const VIDEO_SYNC_OUTPUT_T& record = records[static_cast<std::size_t>(second)];
        positionLabel_->setText(QString::fromLocal8Bit(PositionLabelText(record)));
        if (const auto speed = SpeedLabelText(record.speedKmh, environment_.readUnit()))
            speedLabel_->setText(fromUtf8(*speed));
    } else {
        speedLabel_->setText(fromUtf8(std::string(kSpeedPlaceholder)));
        positionLabel_->setText(fromUtf8(std::string(kPositionPlaceholder)));
    }
}

void CFilmView::OnGraphEvent(long code) {
    if (code == 1) {
        engine_->SetPosition(0.0);
        engine_->Stop();
        playPause_->setText(playText_);
        setProgress(1000);
        stopRefresh();
        update();
        host_.PlayNextFilm();
    } else if (code == 3) {
        ShowMessage("Error");
    }
}

void CFilmView::onProgressAction(int action) {
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

void CFilmView::onProgressEndTrack() {
    if (!filmLoaded()) return;
    stopRefresh();
    const int value = progress_->value();
    if (value == 1000) {
        OnGraphEvent(1);
        return;
    }
    const double position = ProgressPosition(value, durationSeconds_);
    engine_->SetPosition(position);
    if (engine_->IsRunning()) {
        startRefresh();
        host_.ResumeSync(QString::number(WholeSeconds(position)));
    }
}

void CFilmView::ShowMessage(const QString& text) {
    QMessageBox::information(this, QCoreApplication::applicationName(), text, QMessageBox::Ok);
}

void CFilmView::layoutControls() {
    const int w = width();
    const int h = height();
    const auto place = [](QWidget* widget, int x, int y, int cx, int cy) {
        widget->setGeometry(x, y, std::max(cx, 0), std::max(cy, 0));
    };
    place(videoArea_, 0, 50, w, h - 165);
    place(speedLabel_, 10, h - 110, 100, 25);
    place(positionLabel_, w - 150, h - 110, 150, 25);
    place(progress_, 0, h - 75, w - 120, 15);
    place(timeText_, w - 120, h - 75, 120, 30);
    place(speaker_, 15, h - 26, 16, 16);
    place(volume_, 33, h - 25, 80, 15);
    place(previous_, w / 2 - 130, h - 40, 60, 30);
    place(playPause_, w / 2 - 65, h - 40, 60, 30);
    place(stop_, w / 2, h - 40, 60, 30);
    place(next_, w / 2 + 65, h - 40, 60, 30);
    place(screenshot_, w - 60, h - 40, 60, 30);

    engine_->SetVideoPosition(0, 0, videoArea_->width(), videoArea_->height());
    videoArea_->update();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->update();
}

void CFilmView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void CFilmView::paintEvent(QPaintEvent*) {
    const std::optional<int> state = engine_->GetState();
    if (state == FilmEngine::Running || state == FilmEngine::Paused) return;
    static const QImage idle = StockBitmap(kIdlePictureId);
    QPainter painter(this);
    painter.drawImage(QRect(0, 0, width(), height() - 167), idle);
}

void CFilmView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CFilmView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CFilmView::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (host_.AddFileToList(path) == 1) host_.PlayFile(path);
    }
}

bool CFilmView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonDblClick) return false;
    auto* target = qobject_cast<QWidget*>(watched);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (!target || mouse->button() != Qt::LeftButton) return false;
    return handleDoubleClick(target, mouse->position());
}

bool CFilmView::handleDoubleClick(QWidget* target, const QPointF& position) {
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
