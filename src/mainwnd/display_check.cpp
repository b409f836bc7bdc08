#include "mainwnd/display_check.h"

#include <string_view>

namespace tesmira {

std::string MissingDisplayMessage(const std::function<const char*(const char*)>& environment) {
    const auto value = [&](const char* name) {
        const char* text = environment(name);
        return std::string_view(text ? text : "");
    };
    const std::string_view platform = value("QT_QPA_PLATFORM");
    // Another platform (offscreen, wayland, eglfs ...) needs no X display; whether it
    // starts is left to Qt.
    if (!platform.empty() && platform.substr(0, 3) != "xcb") return {};
    if (!value("DISPLAY").empty()) return {};
    if (platform.empty() && !value("WAYLAND_DISPLAY").empty()) return {};
    return "tesmira: no display to play on: DISPLAY is not set (--export needs none)";
}

}  // namespace tesmira
