#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>

struct mpv_handle;
struct mpv_render_context;

namespace tesmira {

// Shows libmpv's software-rendered frames. The frame is rendered at the widget's device size
// into a reused buffer, only when libmpv reports a new frame (or the size changed); libmpv keeps
// the film's aspect ratio and fills the rest black. Painting just copies the buffer.
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

    // Target for input that nobody handles while the widget is a top-level window.
    void setMessageDrain(QWidget* drain) { drain_ = drain; }
    QWidget* messageDrain() const { return drain_; }

    // Frames rendered into the buffer since construction (for tests and the benchmark).
    std::uint64_t framesRendered() const { return framesRendered_; }
    bool hasFrame() const { return hasFrame_; }
    // The last rendered picture at device size (shares the buffer; copy it to keep it).
    const QImage& picture() const { return image_; }

signals:
    // A newly rendered frame has been painted.
    void framePainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct ContextDeleter {
        void operator()(mpv_render_context* c) const;
    };
    struct FreeDeleter {
        void operator()(unsigned char* p) const;
    };

    static void onUpdate(void* self);
    void processUpdate();
    bool render(bool newFrame);
    bool ensureBuffer(const QSize& size);
    bool forwardToDrain(QEvent* event);

    std::unique_ptr<mpv_render_context, ContextDeleter> context_;
    std::unique_ptr<unsigned char, FreeDeleter> buffer_;
    std::size_t bufferBytes_ = 0;
    QImage image_;
    QPointer<QWidget> drain_;
    bool hasFrame_ = false;
    bool paintPending_ = false;
    std::uint64_t framesRendered_ = 0;
    std::atomic<bool> updateQueued_{false};
};

}  // namespace tesmira
