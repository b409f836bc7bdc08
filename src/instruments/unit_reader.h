#pragma once
// Where the speedometer gets the speed unit from at each paint.

#include <functional>
#include <string>

namespace tesmira {

using UnitReader = std::function<std::string()>;

// Reads "Unit" from the settings file at every call ("KMH" when missing).
UnitReader SettingsUnitReader();

}  // namespace tesmira
