#pragma once
// The map pane's browser control: no context menu, an "app:ok" link accepts
// the parent (its "accept" slot, as a dialog's OK button would), and any other
// "app:" link goes to the parent's "chooseMap" slot, when it has one, in lower
// case.

#include "map/browser_view.h"

namespace tesmira {

class MapBrowser : public BrowserView {
    Q_OBJECT
public:
    explicit MapBrowser(QWidget* parent = nullptr);

    void HandleAppLink(const QString& text) override;
};

}  // namespace tesmira
