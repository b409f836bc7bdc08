#include "playback/video_widget.h"

#include <mpv/render.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "app/startup_trace.h"

namespace tesmira {

namespace {
// Stride and start of each row on 64 bytes let libmpv's converters take their fast paths.
constexpr std::size_t kAlign = 64;
}  // namespace

void VideoWidget::ContextDeleter::operator()(mpv_render_context* c) const {
    mpv_render_context_free(c);
}

void VideoWidget::FreeDeleter::operator()(unsigned char* p) const {
    std::free(p);
}

VideoWidget::VideoWidget(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted here: no background erase before each frame.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

VideoWidget::~VideoWidget() {
    detach();
}

bool VideoWidget::Buffer::fit(const QSize& size) {
    if (image.size() == size && memory) return true;
    const std::size_t stride =
        (static_cast<std::size_t>(size.width()) * 4 + kAlign - 1) / kAlign * kAlign;
    const std::size_t needed = stride * static_cast<std::size_t>(size.height());
    if (needed > bytes) {
        auto* block = static_cast<unsigned char*>(std::aligned_alloc(kAlign, needed));
        if (!block) return false;
        memory.reset(block);
        bytes = needed;
    }
    image = QImage(memory.get(), size.width(), size.height(), static_cast<qsizetype>(stride),
                   QImage::Format_RGB32);
    return true;
}

bool VideoWidget::attach(mpv_handle* handle) {
    detach();
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context* context = nullptr;
    if (!handle || mpv_render_context_create(&context, handle, params) < 0) return false;
    context_.reset(context);
    {
        std::lock_guard lock(mutex_);
        stop_ = false;
        frameAnnounced_ = false;
        redraw_ = false;
    }
    publishTarget();
    // libmpv allows only one mpv_render_* call at a time, so the UI thread makes its last one
    // before the render thread starts; the announcement this raises waits for the thread.
    mpv_render_context_set_update_callback(context, &VideoWidget::onUpdate, this);
    renderer_ = std::thread([this] { renderLoop(); });
    return true;
}

void VideoWidget::detach() {
    if (!context_) return;
    // The render thread ends first: while it may be inside a render call, the UI thread must
    // make none of its own. Announcements until the callback is cleared only set a flag.
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (renderer_.joinable()) renderer_.join();
    mpv_render_context_set_update_callback(context_.get(), nullptr, nullptr);
    context_.reset();
    std::lock_guard lock(mutex_);
    hasFrame_ = false;
    frameTaken_ = false;
}

void VideoWidget::clearPicture() {
    {
        std::lock_guard lock(mutex_);
        hasFrame_ = false;
        frameTaken_ = false;
        ++generation_;
    }
    update();
}

void VideoWidget::setRenderHidden(bool render) {
    {
        std::lock_guard lock(mutex_);
        if (renderHidden_ == render) return;
        renderHidden_ = render;
    }
    publishTarget();
    requestRedraw();
}

bool VideoWidget::hasFrame() const {
    std::lock_guard lock(mutex_);
    return hasFrame_;
}

QImage VideoWidget::picture() const {
    std::lock_guard lock(mutex_);
    return hasFrame_ ? shown_.image.copy() : QImage();
}

void VideoWidget::onUpdate(void* self) {
    // Runs on an mpv thread: no mpv call here, only a word to the render thread.
    auto* widget = static_cast<VideoWidget*>(self);
    {
        std::lock_guard lock(widget->mutex_);
        widget->frameAnnounced_ = true;
    }
    widget->wake_.notify_one();
}

void VideoWidget::requestRedraw() {
    {
        std::lock_guard lock(mutex_);
        if (!hasFrame_ && !frameTaken_) return;
        redraw_ = true;
    }
    wake_.notify_one();
}

QSize VideoWidget::deviceSize() const {
    const qreal ratio = devicePixelRatioF();
    return QSize(std::max(1, static_cast<int>(std::lround(width() * ratio))),
                 std::max(1, static_cast<int>(std::lround(height() * ratio))));
}

void VideoWidget::publishTarget() {
    std::lock_guard lock(mutex_);
    target_ = deviceSize();
    targetRatio_ = devicePixelRatioF();
    visible_ = isVisible() || renderHidden_;
}

void VideoWidget::renderLoop() {
    Buffer back;
    for (;;) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stop_ || frameAnnounced_ || redraw_; });
        if (stop_) return;
        const bool announced = std::exchange(frameAnnounced_, false);
        const bool redraw = std::exchange(redraw_, false);
        const QSize size = target_;
        const qreal ratio = targetRatio_;
        const bool visible = visible_;
        const std::uint64_t generation = generation_;
        lock.unlock();

        const bool newFrame =
            announced && (mpv_render_context_update(context_.get()) & MPV_RENDER_UPDATE_FRAME);
        if (!newFrame && !redraw) continue;
        int block = 0;
        if (!visible) {
            // Nobody sees it, but libmpv waits for each frame to be taken: take it without drawing.
            if (!newFrame) continue;
            int skip = 1;
            mpv_render_param params[] = {
                {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                {MPV_RENDER_PARAM_INVALID, nullptr},
            };
            mpv_render_context_render(context_.get(), params);
            // libmpv keeps the frame: once the widget is shown it can be drawn after all.
            lock.lock();
            if (generation == generation_) frameTaken_ = true;
            continue;
        }
        if (!back.fit(size)) continue;
        int sizeParam[2] = {size.width(), size.height()};
        std::size_t stride = static_cast<std::size_t>(back.image.bytesPerLine());
        char format[] = "bgr0";
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SW_SIZE, sizeParam},
            {MPV_RENDER_PARAM_SW_FORMAT, format},
            {MPV_RENDER_PARAM_SW_STRIDE, &stride},
            {MPV_RENDER_PARAM_SW_POINTER, back.memory.get()},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        if (mpv_render_context_render(context_.get(), params) < 0) continue;
        if (newFrame) ++framesRendered_;
        back.image.setDevicePixelRatio(ratio);

        lock.lock();
        // A picture cleared meanwhile stays cleared: this frame belongs to the film before.
        if (generation != generation_) continue;
        std::swap(back, shown_);
        hasFrame_ = true;
        frameTaken_ = true;
        lock.unlock();
        QMetaObject::invokeMethod(
            this,
            [this] {
                paintPending_ = true;
                update();
            },
            Qt::QueuedConnection);
    }
}

void VideoWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    bool painted = false;
    bool stale = false;
    {
        std::lock_guard lock(mutex_);
        if (hasFrame_ && !shown_.image.isNull()) {
            painter.drawImage(QPointF(0, 0), shown_.image);
            painted = true;
            // A change of screen changes the device size without a resize.
            stale = shown_.image.size() != deviceSize();
        } else {
            painter.fillRect(rect(), Qt::black);
        }
    }
    if (stale) {
        publishTarget();
        requestRedraw();
    }
    if (paintPending_ && painted) {
        paintPending_ = false;
        TraceStartup("first-frame");
        emit framePainted();
    }
}

void VideoWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Draw the frame on screen again at the new size; without one the paint is black.
    publishTarget();
    requestRedraw();
}

void VideoWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Frames and sizes that came while hidden were not drawn (a hidden widget gets its resize
    // before it counts as visible); a paused film sends no new frame, so draw the current one.
    publishTarget();
    requestRedraw();
}

void VideoWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    std::lock_guard lock(mutex_);
    visible_ = renderHidden_;
}

bool VideoWidget::forwardToDrain(QEvent* event) {
    if (!isWindow() || !drain_) return false;
    // The copies keep the original's device and time stamp: Qt tells a double-click from two
    // clicks by the time between presses, and a press stamped 0 would start the count anew.
    if (auto* mouse = dynamic_cast<QMouseEvent*>(event)) {
        const QPointF local = drain_->mapFromGlobal(mouse->globalPosition());
        QMouseEvent copy(mouse->type(), local, mouse->scenePosition(), mouse->globalPosition(),
                         mouse->button(), mouse->buttons(), mouse->modifiers(),
                         mouse->pointingDevice());
        copy.setTimestamp(mouse->timestamp());
        QCoreApplication::sendEvent(drain_.data(), &copy);
    } else if (auto* key = dynamic_cast<QKeyEvent*>(event)) {
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                       key->count());
        copy.setTimestamp(key->timestamp());
        QCoreApplication::sendEvent(drain_.data(), &copy);
    } else {
        return false;
    }
    event->accept();
    return true;
}

// Inside the video area, input passes on to the parent (ignored here); in full screen it goes
// to the drain.
void VideoWidget::mousePressEvent(QMouseEvent* event) {
    if (!forwardToDrain(event)) event->ignore();
}

void VideoWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!forwardToDrain(event)) event->ignore();
}

void VideoWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!forwardToDrain(event)) event->ignore();
}

void VideoWidget::keyPressEvent(QKeyEvent* event) {
    if (!forwardToDrain(event)) event->ignore();
}

void VideoWidget::keyReleaseEvent(QKeyEvent* event) {
    if (!forwardToDrain(event)) event->ignore();
}

void VideoWidget::closeEvent(QCloseEvent* event) {
    // Closed, the full-screen window would leave the film without a picture while its owner
    // still counts it as full screen: the owner takes it back instead.
    if (!isWindow()) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    emit closeRequested();
}

}  // namespace tesmira
