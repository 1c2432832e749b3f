#pragma once

#include <memory>

#include "hardware/DisplayConfigurationBridging.h"
#include "hardware/DisplayConnectionControlling.h"

namespace lumadesk {

// Enables and disables displays, each request in a configuration transaction of its own. A failed
// disable is cancelled and reported; a failed enable is cancelled and the permanent configuration,
// which still has the display enabled, is restored instead (reported only if that fails as well).
class PrivateDisplayConnectionController final : public DisplayConnectionControlling {
public:
    explicit PrivateDisplayConnectionController(std::unique_ptr<DisplayConfigurationBridging> bridge)
        : m_bridge(std::move(bridge)) {}

    void setDisplay(DisplayID displayID, bool enabled) override;

    DisplayConfigurationBridging& bridge() const { return *m_bridge; }

private:
    std::unique_ptr<DisplayConfigurationBridging> m_bridge;
};

}  // namespace lumadesk
