#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

struct mpv_handle;
struct mpv_render_context;

namespace tesmira {

// Shows libmpv's software-rendered frames. A render thread of the widget's own takes each new
// frame as libmpv announces it and renders it at the widget's device size into a back buffer,
// which then replaces the shown one; libmpv keeps the film's aspect ratio and fills the rest
// black. Painting just copies the shown buffer. libmpv waits (up to 0.2 s) for each frame to be
// taken, so rendering must not depend on the UI thread, which calls into libmpv synchronously.
class VideoWidget : public QWidget {
    Q_OBJECT

public:
    explicit VideoWidget(QWidget* parent = nullptr);
    ~VideoWidget() override;

    // Creates the render context on `handle` (whose vo must be libmpv). False on failure.
    bool attach(mpv_handle* handle);
    // Frees the render context; must happen before the handle is destroyed.
    void detach();
    bool attached() const { return context_ != nullptr; }

    // Forgets the last frame and paints black until the next one.
    void clearPicture();
    // Frames are drawn at the widget's size even while it is hidden, so that showing it
    // paints the current frame at once (a film made ready out of sight).
    void setRenderHidden(bool render);

    // Target for input that nobody handles while the widget is a top-level window.
    void setMessageDrain(QWidget* drain) { drain_ = drain; }
    QWidget* messageDrain() const { return drain_; }

    // Frames rendered into the buffer since construction (for tests and the benchmark).
    std::uint64_t framesRendered() const { return framesRendered_; }
    bool hasFrame() const;
    // A copy of the shown picture at device size.
    QImage picture() const;

signals:
    // A newly rendered frame has been painted.
    void framePainted();
    // The user closed the widget while it was a window of its own (full screen); it stays open.
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct ContextDeleter {
        void operator()(mpv_render_context* c) const;
    };
    struct FreeDeleter {
        void operator()(unsigned char* p) const;
    };
    // A picture in memory aligned for libmpv's converters.
    struct Buffer {
        std::unique_ptr<unsigned char, FreeDeleter> memory;
        std::size_t bytes = 0;
        QImage image;
        bool fit(const QSize& size);
    };

    static void onUpdate(void* self);
    void renderLoop();
    // Asks the render thread to draw the current frame again (new size, shown again).
    void requestRedraw();
    // Tells the render thread where and whether frames are seen.
    void publishTarget();
    QSize deviceSize() const;
    bool forwardToDrain(QEvent* event);

    std::unique_ptr<mpv_render_context, ContextDeleter> context_;
    QPointer<QWidget> drain_;
    std::atomic<std::uint64_t> framesRendered_{0};
    bool paintPending_ = false;  // UI thread only

    // Shared with the render thread, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::thread renderer_;
    bool stop_ = false;
    bool frameAnnounced_ = false;
    bool redraw_ = false;
    bool visible_ = false;
    bool renderHidden_ = false;
    QSize target_;
    qreal targetRatio_ = 1.0;
    std::uint64_t generation_ = 0;  // counts clearPicture calls; older renders are dropped
    Buffer shown_;
    bool hasFrame_ = false;
    bool frameTaken_ = false;  // a frame of this picture was taken, drawn or not
};

}  // namespace tesmira
