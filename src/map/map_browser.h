#pragma once
// The map pane's browser control: no context menu, and an "app:ok" link
// accepts the parent (its "accept" slot, as a dialog's OK button would).

#include "map/browser_view.h"

namespace tesmira {

class MapBrowser : public BrowserView {
    Q_OBJECT
public:
    explicit MapBrowser(QWidget* parent = nullptr);

    void HandleAppLink(const QString& text) override;
};

}  // namespace tesmira
