#include "instruments/unit_reader.h"

namespace tesmira {

UnitReader SettingsUnitReader() {
    // Replaced by the settings file reader once the settings layer is merged.
    return [] { return std::string("KMH"); };
}

}  // namespace tesmira
