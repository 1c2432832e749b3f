#include "platform/linux/keys/HotKeyTranslation.h"

#include <array>
#include <utility>

namespace lumadesk {

namespace {

// X's core modifier bits.
constexpr unsigned shiftMask = 1U << 0;
constexpr unsigned controlMask = 1U << 2;
constexpr unsigned mod1Mask = 1U << 3;
constexpr unsigned mod4Mask = 1U << 6;

constexpr std::uint32_t functionKey(int n) {
    return 0xFFBEU + static_cast<std::uint32_t>(n - 1);
}

// Virtual key code -> keysym (letters as lower-case keysyms, as X reports unshifted keys).
constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 76> keysyms{{
    {0x00, 'a'},
    {0x01, 's'},
    {0x02, 'd'},
    {0x03, 'f'},
    {0x04, 'h'},
    {0x05, 'g'},
    {0x06, 'z'},
    {0x07, 'x'},
    {0x08, 'c'},
    {0x09, 'v'},
    {0x0B, 'b'},
    {0x0C, 'q'},
    {0x0D, 'w'},
    {0x0E, 'e'},
    {0x0F, 'r'},
    {0x10, 'y'},
    {0x11, 't'},
    {0x1F, 'o'},
    {0x20, 'u'},
    {0x22, 'i'},
    {0x23, 'p'},
    {0x25, 'l'},
    {0x26, 'j'},
    {0x28, 'k'},
    {0x2D, 'n'},
    {0x2E, 'm'},
    {0x12, '1'},
    {0x13, '2'},
    {0x14, '3'},
    {0x15, '4'},
    {0x17, '5'},
    {0x16, '6'},
    {0x1A, '7'},
    {0x1C, '8'},
    {0x19, '9'},
    {0x1D, '0'},
    {0x7B, 0xFF51},
    {0x7E, 0xFF52},
    {0x7C, 0xFF53},
    {0x7D, 0xFF54},  // Left, Up, Right, Down
    {0x24, 0xFF0D},
    {0x31, 0x0020},
    {0x35, 0xFF1B},
    {0x33, 0xFF08},  // Return, Space, Escape, Delete
    {0x75, 0xFFFF},
    {0x73, 0xFF50},
    {0x77, 0xFF57},
    {0x74, 0xFF55},
    {0x79, 0xFF56},  // Fwd Delete, Home, End, PgUp, PgDn
    {0x7A, functionKey(1)},
    {0x78, functionKey(2)},
    {0x63, functionKey(3)},
    {0x76, functionKey(4)},
    {0x60, functionKey(5)},
    {0x61, functionKey(6)},
    {0x62, functionKey(7)},
    {0x64, functionKey(8)},
    {0x65, functionKey(9)},
    {0x6D, functionKey(10)},
    {0x67, functionKey(11)},
    {0x6F, functionKey(12)},
    {0x69, functionKey(13)},
    {0x6B, functionKey(14)},
    {0x71, functionKey(15)},
    {0x6A, functionKey(16)},
    {0x40, functionKey(17)},
    {0x4F, functionKey(18)},
    {0x50, functionKey(19)},
    {0x5A, functionKey(20)},
    // Keypad digits share the digit keysyms' meaning for a shortcut.
    {0x52, 0xFFB0},
    {0x53, 0xFFB1},
    {0x54, 0xFFB2},
    {0x55, 0xFFB3},
    {0x56, 0xFFB4},
    {0x57, 0xFFB5},
    {0x58, 0xFFB6},
}};

}  // namespace

std::optional<X11HotKey> translateHotKey(std::uint32_t keyCode, std::uint32_t modifiers) {
    for (const auto& [code, keysym] : keysyms) {
        if (code != keyCode) continue;
        unsigned mask = 0;
        if (modifiers & 0x1000) mask |= controlMask;
        if (modifiers & 0x800) mask |= mod1Mask;
        if (modifiers & 0x200) mask |= shiftMask;
        if (modifiers & 0x100) mask |= mod4Mask;
        return X11HotKey{keysym, mask};
    }
    return std::nullopt;
}

}  // namespace lumadesk
