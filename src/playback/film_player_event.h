#pragma once

#include <QEvent>

namespace tesmira {

// What the media engine tells its notify target: the film has played to its end (code 1) or
// playback failed (code 3). The engine delivers it with QCoreApplication::sendEvent on the UI
// thread from the event loop (never from inside an engine call), so a handler may call back
// into the engine, even open the next film. A view may send the same event to itself.
class FilmPlayerEvent : public QEvent {
public:
    static constexpr int kComplete = 1;
    static constexpr int kUserAbort = 2;
    static constexpr int kErrorAbort = 3;

    explicit FilmPlayerEvent(int code) : QEvent(eventType()), code_(code) {}

    // Registered once; QEvent::User + 20 when that value is still free.
    static QEvent::Type eventType();

    int code() const { return code_; }

private:
    int code_;
};

}  // namespace tesmira
