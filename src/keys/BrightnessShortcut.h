#pragma once

#include <cstdint>
#include <string>

namespace lumadesk {

class UserDefaults;

// A custom hot key as stored: a virtual key code and a modifier mask (Command 0x100, Shift 0x200,
// Option 0x800, Control 0x1000).
struct BrightnessShortcut {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;

    static constexpr std::uint32_t commandKey = 0x100;
    static constexpr std::uint32_t shiftKey = 0x200;
    static constexpr std::uint32_t optionKey = 0x800;
    static constexpr std::uint32_t controlKey = 0x1000;

    // Control + Option + Up Arrow and Control + Option + Down Arrow.
    static constexpr std::uint32_t defaultModifiers = controlKey | optionKey;
    static constexpr std::uint32_t upArrowKeyCode = 126;
    static constexpr std::uint32_t downArrowKeyCode = 125;

    // The stored shortcut of one direction. Presence is decided by the key code entry; when it is there
    // a missing modifier entry means no modifiers. A value that is not an integer in 0...2^32-1 cannot be
    // a key code or mask, so the default shortcut is used instead.
    static BrightnessShortcut up(const UserDefaults& defaults);
    static BrightnessShortcut down(const UserDefaults& defaults);

    friend bool operator==(const BrightnessShortcut&, const BrightnessShortcut&) = default;
};

}  // namespace lumadesk
