#include "playback/film_player_event.h"

namespace tesmira {

QEvent::Type FilmPlayerEvent::eventType() {
    static const QEvent::Type type =
        static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + 20));
    return type;
}

}  // namespace tesmira
