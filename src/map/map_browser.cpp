#include "map/map_browser.h"

namespace tesmira {

MapBrowser::MapBrowser(QWidget* parent) : BrowserView(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
}

void MapBrowser::HandleAppLink(const QString& text) {
    if (text.compare(QLatin1String("ok"), Qt::CaseInsensitive) != 0 || parentWidget() == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(parentWidget(), "accept");
}

}  // namespace tesmira
