#include "instruments/unit_reader.h"

#include "app/settings.h"

namespace tesmira {

UnitReader SettingsUnitReader() {
    return [] { return ReadUnit(); };
}

}  // namespace tesmira
