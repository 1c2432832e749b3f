#include "keys/BrightnessShortcut.h"

#include "runtime/UserDefaults.h"

#include <limits>
#include <optional>

namespace lumadesk {

namespace {

std::optional<std::uint32_t> unsigned32(const std::optional<std::int64_t>& value) {
    if (!value || *value < 0 || *value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

BrightnessShortcut stored(const UserDefaults& defaults, const std::string& keyKey,
                          const std::string& modifierKey, BrightnessShortcut fallback) {
    if (!defaults.value(keyKey)) return fallback;
    const auto keyCode = unsigned32(defaults.integerValue(keyKey));
    const auto modifiers = defaults.value(modifierKey) ? unsigned32(defaults.integerValue(modifierKey))
                                                       : std::optional<std::uint32_t>(0);
    if (!keyCode || !modifiers) return fallback;
    return {.keyCode = *keyCode, .modifiers = *modifiers};
}

}  // namespace

BrightnessShortcut BrightnessShortcut::up(const UserDefaults& defaults) {
    return stored(defaults, "brightnessUpKey", "brightnessUpModifiers",
                  {.keyCode = upArrowKeyCode, .modifiers = defaultModifiers});
}

BrightnessShortcut BrightnessShortcut::down(const UserDefaults& defaults) {
    return stored(defaults, "brightnessDownKey", "brightnessDownModifiers",
                  {.keyCode = downArrowKeyCode, .modifiers = defaultModifiers});
}

}  // namespace lumadesk
