#pragma once
// What the rest of the player needs of a map page: calling one of its global
// script functions by name with text arguments. The map pane implements it;
// the track feeder and its tests talk to this only. Qt-free.

#include <string>
#include <vector>

namespace tesmira {

class MapPage {
public:
    virtual ~MapPage() = default;

    // Calls the page's global function `name` with each argument passed as a
    // text (UTF-8). False when the call cannot reach a page; callers may ignore it.
    virtual bool CallPageFunction(const std::string& name,
                                  const std::vector<std::string>& args = {}) = 0;
};

}  // namespace tesmira
