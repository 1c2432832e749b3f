#pragma once

#include <optional>
#include <string>

namespace lumadesk {

// What a panel slider change applies to: one display by hardware ID, or all of them.
struct BrightnessHUDTarget {
    std::optional<std::string> hardwareID;  // none = all displays

    static BrightnessHUDTarget all() { return {}; }
    static BrightnessHUDTarget display(std::string hardwareID) { return {std::move(hardwareID)}; }

    friend bool operator==(const BrightnessHUDTarget&, const BrightnessHUDTarget&) = default;
};

}  // namespace lumadesk
