#pragma once

#include <memory>
#include <optional>

#include "hardware/DisplayConfigurationBridging.h"
#include "hardware/DisplayConnectionControlling.h"
#include "hardware/DisplayHardwareError.h"

namespace lumadesk {

// Enables and disables displays, each request in a configuration transaction of its own. A failed
// disable is cancelled and reported; a failed enable is cancelled and the permanent configuration,
// which still has the display enabled, is restored instead, and the enable succeeds only when the
// window server then confirms the display is on.
class PrivateDisplayConnectionController final : public DisplayConnectionControlling {
public:
    explicit PrivateDisplayConnectionController(std::unique_ptr<DisplayConfigurationBridging> bridge)
        : m_bridge(std::move(bridge)) {}

    void setDisplay(DisplayID displayID, bool enabled) override;

    DisplayConfigurationBridging& bridge() const { return *m_bridge; }

private:
    // One transaction that sets the display; the failure when it did not apply (it is then cancelled).
    std::optional<DisplayHardwareError> tryToSet(DisplayID displayID, bool enabled);

    std::unique_ptr<DisplayConfigurationBridging> m_bridge;
};

}  // namespace lumadesk
