#pragma once
// What the speedometer and the compass share: the replayed values, timer 1, the pictures
// and the painting of face and needle.

#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "instruments/dial_artwork.h"
#include "instruments/dial_replay.h"

namespace tesmira {

class DialControl : public QWidget {
    Q_OBJECT
public:
    using ArtworkMaker = std::function<DialArtwork(qreal devicePixelRatio)>;

    // Appends one sample's value under the control's lock.
    void AddValue(double value);
    // With values: discards them, stops timer 1, deactivates and repaints. Otherwise nothing.
    void ClearValues();
    void SetPeriod(int milliseconds);
    // Sets the position only: the active flag and timer 1 stay as they are.
    void SetPosition(int position);
    // Shows the sample before `position`, activates, and steps on every period (when above 0).
    void StartAt(int position);
    // Stops timer 1; the needle stays where it is.
    void Pause();
    // Stops timer 1 and hides the needle.
    void Halt();
    // What timer 1 runs each period: one sample on, or stop at the end; then repaint.
    void TimerTick();

    int Position() const { return replay_.Position(); }
    int Period() const { return replay_.Period(); }
    bool Active() const { return replay_.Active(); }
    std::size_t ValueCount() const { return replay_.ValueCount(); }
    bool TimerRunning() const { return timer1_.isActive(); }
    // The needle frame the next paint shows, kNoNeedle when none.
    virtual int CurrentFrame() const = 0;
    const DialArtwork& Artwork() const { return art_; }

protected:
    DialControl(ArtworkMaker maker, QWidget* parent);

    const DialReplay& Replay() const { return replay_; }
    // The frame to draw for the unit value read at this paint (the compass ignores it).
    virtual int FrameForPaint(const std::string& unit) const = 0;
    // Reads the unit once per paint; the compass has none.
    virtual std::string ReadUnitForPaint() const { return {}; }
    // Drawn over face and needle.
    virtual void PaintOver(QPainter& painter, const std::string& unit);

    void paintEvent(QPaintEvent* event) override;

private:
    DialReplay replay_;
    QTimer timer1_;
    ArtworkMaker maker_;
    DialArtwork art_;
};

}  // namespace tesmira
