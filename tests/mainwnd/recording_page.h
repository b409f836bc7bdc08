#pragma once
// A map page that only records the calls the feeders make of it.

#include <string>
#include <vector>

#include "map/map_page.h"

namespace tesmira {

struct PageCall {
    std::string name;
    std::vector<std::string> args;
    bool operator==(const PageCall&) const = default;
};

class RecordingPage : public MapPage {
public:
    bool CallPageFunction(const std::string& name, const std::vector<std::string>& args) override {
        calls.push_back({name, args});
        return true;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const PageCall& call : calls) out.push_back(call.name);
        return out;
    }
    std::vector<PageCall> calls;
};

}  // namespace tesmira
