#include "playback/video_widget.h"

#include <mpv/render.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstdlib>

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

bool VideoWidget::attach(mpv_handle* handle) {
    detach();
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context* context = nullptr;
    if (!handle || mpv_render_context_create(&context, handle, params) < 0) return false;
    context_.reset(context);
    mpv_render_context_set_update_callback(context, &VideoWidget::onUpdate, this);
    return true;
}

void VideoWidget::detach() {
    if (!context_) return;
    mpv_render_context_set_update_callback(context_.get(), nullptr, nullptr);
    context_.reset();
    hasFrame_ = false;
}

void VideoWidget::clearPicture() {
    hasFrame_ = false;
    update();
}

void VideoWidget::onUpdate(void* self) {
    // Runs on an mpv thread: no mpv call here, only one queued look on the UI thread at a time.
    auto* widget = static_cast<VideoWidget*>(self);
    if (widget->updateQueued_.exchange(true)) return;
    QMetaObject::invokeMethod(
        widget,
        [widget] {
            widget->updateQueued_ = false;
            widget->processUpdate();
        },
        Qt::QueuedConnection);
}

void VideoWidget::processUpdate() {
    if (!context_) return;
    if (mpv_render_context_update(context_.get()) & MPV_RENDER_UPDATE_FRAME) render(true);
}

bool VideoWidget::ensureBuffer(const QSize& size) {
    if (image_.size() == size && buffer_) return true;
    const std::size_t stride =
        (static_cast<std::size_t>(size.width()) * 4 + kAlign - 1) / kAlign * kAlign;
    const std::size_t bytes = stride * static_cast<std::size_t>(size.height());
    if (bytes > bufferBytes_) {
        auto* memory = static_cast<unsigned char*>(std::aligned_alloc(kAlign, bytes));
        if (!memory) return false;
        buffer_.reset(memory);
        bufferBytes_ = bytes;
    }
    image_ = QImage(buffer_.get(), size.width(), size.height(), static_cast<qsizetype>(stride),
                    QImage::Format_RGB32);
    return true;
}

bool VideoWidget::render(bool newFrame) {
    if (!context_) return false;
    const qreal ratio = devicePixelRatioF();
    const QSize device(std::max(1, static_cast<int>(std::lround(width() * ratio))),
                       std::max(1, static_cast<int>(std::lround(height() * ratio))));
    int block = 0;
    if (!isVisible()) {
        // Nobody sees it, but libmpv waits for each frame to be taken: take it without drawing.
        int skip = 1;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(context_.get(), params);
        return false;
    }
    if (!ensureBuffer(device)) return false;
    int size[2] = {device.width(), device.height()};
    std::size_t stride = static_cast<std::size_t>(image_.bytesPerLine());
    char format[] = "bgr0";
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, size},
        {MPV_RENDER_PARAM_SW_FORMAT, format},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, buffer_.get()},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_render(context_.get(), params) < 0) return false;
    if (newFrame) ++framesRendered_;
    image_.setDevicePixelRatio(ratio);
    hasFrame_ = true;
    paintPending_ = true;
    update();
    return true;
}

void VideoWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (hasFrame_ && !image_.isNull()) {
        painter.drawImage(QPointF(0, 0), image_);
    } else {
        painter.fillRect(rect(), Qt::black);
    }
    if (paintPending_ && hasFrame_) {
        paintPending_ = false;
        emit framePainted();
    }
}

void VideoWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Draw the frame on screen again at the new size; without one the paint is black.
    if (hasFrame_) render(false);
}

void VideoWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Frames and sizes that came while hidden were not drawn (a hidden widget gets its resize
    // before it counts as visible); a paused film sends no new frame, so draw the current one.
    if (hasFrame_) render(false);
}

bool VideoWidget::forwardToDrain(QEvent* event) {
    if (!isWindow() || !drain_) return false;
    if (auto* mouse = dynamic_cast<QMouseEvent*>(event)) {
        const QPointF local = drain_->mapFromGlobal(mouse->globalPosition());
        QMouseEvent copy(mouse->type(), local, mouse->scenePosition(), mouse->globalPosition(),
                         mouse->button(), mouse->buttons(), mouse->modifiers());
        QCoreApplication::sendEvent(drain_.data(), &copy);
    } else if (auto* key = dynamic_cast<QKeyEvent*>(event)) {
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                       key->count());
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

}  // namespace tesmira
