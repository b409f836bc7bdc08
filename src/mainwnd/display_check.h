#pragma once
// Whether the player can have a window at all, told before the window system is
// asked: Qt aborts the process when its platform cannot start. Qt-free.

#include <functional>
#include <string>

namespace tesmira {

// The one line to print (without its newline) when the environment names no display
// for the platform Qt would start, empty when it does. `environment` reads a variable
// and returns null when it is not set.
std::string MissingDisplayMessage(const std::function<const char*(const char*)>& environment);

// Printed when the platform was tried and could not start after all (a display that
// does not answer, say).
inline constexpr const char* kDisplayUnreachableMessage =
    "tesmira: no display to play on: the window system could not be reached";

}  // namespace tesmira
