#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/DisplayRegistry.h"
#include "platform/ScreenList.h"
#include "platform/WindowServer.h"
#include "runtime/Clock.h"

namespace lumadesk {

// A monitor's DDC/CI channel and the faults it shows from the start.
struct SimulatedDDCConfig {
    std::uint16_t brightness = 50;
    std::uint16_t maximum = 100;
    int nakNextTransfers = 0;
    int corruptEveryNthReply = 0;
    std::optional<std::uint8_t> resultCode{};
    Duration extraReplyDelay{0};
};

// One display of a desk as its file describes it.
struct SimulatedDisplayConfig {
    std::optional<std::string> name{};  // its screen's localized name; none: no screen
    DisplayProductNames productNames{};  // the registry product names (and the EDID product name)
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::uint32_t serial = 0;
    std::optional<std::string> edidSerial{};
    std::uint32_t unit = 0;
    bool builtin = false;
    std::optional<std::size_t> mirrorOf{};  // index of the display it mirrors
    bool online = true;                     // plugged in
    bool enabled = true;                    // in the permanent configuration
    ScreenFrame frame{};
    std::optional<SimulatedDDCConfig> ddc{};  // none: the monitor does not answer DDC/CI
    std::optional<std::string> avServicePath{};
    std::uint32_t framebufferBuses = 1;
    bool registryEDID = true;
    std::uint64_t i2cTransactionTypes = (1U << 1) | (1U << 2);  // simple and DDC/CI reply

    // How error messages name the display.
    std::string label() const;
};

// Codes the window server's configuration calls answer with from the start (0: success).
struct SimulatedWindowServerFaults {
    WindowServerError beginError = windowServerSuccess;
    WindowServerError configureError = windowServerSuccess;
    WindowServerError completeError = windowServerSuccess;
};

// A whole desk: its displays in the window server's order, the pointer, the window server's faults.
struct SimulatedDeskConfig {
    std::vector<SimulatedDisplayConfig> displays;
    ScreenPoint pointer{};
    SimulatedWindowServerFaults windowServerFaults{};
};

}  // namespace lumadesk
