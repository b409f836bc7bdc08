#include "map/my_html_ctrl.h"

namespace tesmira {

CMyHtmlCtrl::CMyHtmlCtrl(QWidget* parent) : CHtmlCtrl(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
}

void CMyHtmlCtrl::HandleAppLink(const QString& text) {
    if (text.compare(QLatin1String("ok"), Qt::CaseInsensitive) != 0 || parentWidget() == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(parentWidget(), "accept");
}

}  // namespace tesmira
