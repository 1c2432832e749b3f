#pragma once

#include <cstdint>
#include <optional>

namespace lumadesk {

// A stored shortcut in X terms: a keysym and a core modifier mask.
struct X11HotKey {
    std::uint32_t keysym = 0;
    unsigned modifiers = 0;

    friend bool operator==(const X11HotKey&, const X11HotKey&) = default;
};

// Stored shortcuts keep their documented form (virtual key codes, Command 0x100, Shift 0x200, Option
// 0x800, Control 0x1000) so that settings stay valid; this turns them into X keysyms and modifiers
// (Control, Alt = Mod1, Shift, Super = Mod4). None for a key code without a keysym here: letters,
// digits, arrows, F1 to F20, Return, Space, Escape, Delete, Forward Delete, Home, End, Page Up/Down.
std::optional<X11HotKey> translateHotKey(std::uint32_t keyCode, std::uint32_t modifiers);

}  // namespace lumadesk
