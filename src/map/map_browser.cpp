#include "map/map_browser.h"

namespace tesmira {

MapBrowser::MapBrowser(QWidget* parent) : BrowserView(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
}

void MapBrowser::HandleAppLink(const QString& text) {
    if (parentWidget() == nullptr) return;
    if (text.compare(QLatin1String("ok"), Qt::CaseInsensitive) == 0) {
        QMetaObject::invokeMethod(parentWidget(), "accept");
    } else if (parentWidget()->metaObject()->indexOfSlot("chooseMap(QString)") >= 0) {
        QMetaObject::invokeMethod(parentWidget(), "chooseMap", Q_ARG(QString, text.toLower()));
    }
}

}  // namespace tesmira
