#include "map/map_browser.h"

#include <QRegularExpression>

namespace tesmira {

MapBrowser::MapBrowser(QWidget* parent) : BrowserView(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
}

void MapBrowser::HandleAppLink(const QString& text) {
    // Only what the pages write: a page cannot hand on anything but two small numbers.
    static const QRegularExpression tripLink(
        QStringLiteral("^(trip|event)/(\\d{1,9})/(\\d{1,9})$"));
    if (const QRegularExpressionMatch trip = tripLink.match(text); trip.hasMatch()) {
        const int film = trip.captured(2).toInt();
        const int second = trip.captured(3).toInt();
        if (trip.captured(1) == QLatin1String("trip"))
            emit tripPointChosen(film, second);
        else
            emit tripEventChosen(film, second);
        return;
    }
    if (parentWidget() == nullptr) return;
    if (text.compare(QLatin1String("ok"), Qt::CaseInsensitive) == 0) {
        QMetaObject::invokeMethod(parentWidget(), "accept");
    } else if (parentWidget()->metaObject()->indexOfSlot("chooseMap(QString)") >= 0) {
        QMetaObject::invokeMethod(parentWidget(), "chooseMap", Q_ARG(QString, text.toLower()));
    }
}

}  // namespace tesmira
