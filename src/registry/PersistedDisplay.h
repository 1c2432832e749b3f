#pragma once

#include <optional>
#include <string>

#include "platform/DisplayID.h"
#include "registry/BrightnessRange.h"
#include "runtime/Clock.h"

namespace lumadesk {

// The stored memory of one display, kept so that its name, order, last brightness and our own
// disconnection of it survive restarts and unplugging.
struct PersistedDisplay {
    std::string hardwareID{};  // key: at most one record per hardware ID
    std::optional<std::string> modelName{};
    std::optional<std::string> customName{};
    int sortOrder = 0;
    bool isConnected = true;
    WallInstant lastSeenAt{};                   // last time a refresh saw the display online
    std::optional<DisplayID> savedDisplayID{};  // the ID to re-enable while we hold the display disconnected
    std::optional<int> lastBrightness{};        // last level that was at least 1
    std::optional<BrightnessRange> brightnessRange{};  // stored only when the user set one
    bool followsBuiltInScreen = false;                 // stored only when on

    friend bool operator==(const PersistedDisplay&, const PersistedDisplay&) = default;
};

}  // namespace lumadesk
