#include "instruments/dial_control.h"

#include <QPainter>

#include "instruments/needle_frame.h"

namespace tesmira {

DialControl::DialControl(ArtworkMaker maker, QWidget* parent)
    : QWidget(parent), maker_(std::move(maker)) {
    // Every picture is ready before the control is first shown.
    art_ = maker_(devicePixelRatioF());
    resize(DialArtwork::kSize, DialArtwork::kSize);
    timer1_.setTimerType(Qt::PreciseTimer);
    connect(&timer1_, &QTimer::timeout, this, &DialControl::TimerTick);
}

void DialControl::AddValue(double value) {
    replay_.AddValue(value);
}

void DialControl::ClearValues() {
    if (!replay_.ClearValues()) return;
    timer1_.stop();
    update();
}

void DialControl::SetPeriod(int milliseconds) {
    replay_.SetPeriod(milliseconds);
}

void DialControl::SetPosition(int position) {
    replay_.SetPosition(position);
}

void DialControl::StartAt(int position) {
    if (replay_.StartAt(position)) timer1_.start(replay_.Period());
}

void DialControl::Pause() {
    timer1_.stop();
}

void DialControl::Halt() {
    timer1_.stop();
    replay_.Halt();
    update();
}

void DialControl::TimerTick() {
    if (!replay_.Tick()) timer1_.stop();
    update();
}

void DialControl::PaintOver(QPainter&, const std::string&) {}

void DialControl::paintEvent(QPaintEvent*) {
    const std::string unit = ReadUnitForPaint();
    // Moved to a screen of another density: paint the pictures again for it.
    if (!qFuzzyCompare(devicePixelRatioF(), art_.DevicePixelRatio())) {
        art_ = maker_(devicePixelRatioF());
    }
    QPainter painter(this);
    art_.DrawFace(painter);
    if (replay_.Active()) {
        const int frame = FrameForPaint(unit);
        if (frame != kNoNeedle) art_.DrawFrame(painter, frame);
    }
    PaintOver(painter, unit);
}

}  // namespace tesmira
