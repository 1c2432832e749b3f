#pragma once

#include <optional>

namespace lumadesk {

// Where the popover window goes: centred under the tray icon, or above it when the panel is at the
// bottom of the screen, kept inside the screen's free area. Without the icon's geometry (some trays do
// not tell it) the pointer stands in for the icon.
class PopoverPlacement {
public:
    struct Rect {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        int bottom() const { return y + height; }
        int centreX() const { return x + width / 2; }
        int centreY() const { return y + height / 2; }
    };
    struct Point {
        int x = 0;
        int y = 0;
        friend bool operator==(const Point&, const Point&) = default;
    };

    static constexpr int gap = 4;  // between the icon and the window

    // The window's top-left corner for a window of the size, by the icon (or the pointer) on the screen.
    static Point place(int width, int height, std::optional<Rect> icon, Point pointer, Rect availableScreen);
};

}  // namespace lumadesk
