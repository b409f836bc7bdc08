#pragma once
// The map pane's browser control: no context menu, an "app:ok" link accepts
// the parent (its "accept" slot, as a dialog's OK button would), a click on the
// whole trip ("app:trip/<film>/<second>" on a line, "app:event/<film>/<second>"
// on an event mark) is announced, and any other "app:" link goes to the
// parent's "chooseMap" slot, when it has one, in lower case.

#include "map/browser_view.h"

namespace tesmira {

class MapBrowser : public BrowserView {
    Q_OBJECT
public:
    explicit MapBrowser(QWidget* parent = nullptr);

    void HandleAppLink(const QString& text) override;

signals:
    // The user clicked film `film`'s line of the whole trip nearest its second `second`.
    void tripPointChosen(int film, int second);
    // The user clicked the mark of film `film`'s event at second `second`.
    void tripEventChosen(int film, int second);
};

}  // namespace tesmira
