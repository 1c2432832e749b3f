#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/DisplayID.h"

namespace lumadesk {

// A point in desktop coordinates (the main screen's top-left corner is the origin).
struct ScreenPoint {
    double x = 0;
    double y = 0;

    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// A rectangle in desktop coordinates.
struct ScreenFrame {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    // Whether the point lies inside (the right and bottom edges excluded).
    bool contains(ScreenPoint point) const {
        return point.x >= x && point.x < x + width && point.y >= y && point.y < y + height;
    }

    friend bool operator==(const ScreenFrame&, const ScreenFrame&) = default;
};

// One screen of the desktop: where it is, which display shows it, and its name for the user.
struct Screen {
    ScreenFrame frame;
    DisplayID displayID = 0;
    std::string localizedName;
    // The part of the frame that panels and docks leave free; none when the platform does not tell.
    std::optional<ScreenFrame> availableFrame = std::nullopt;

    const ScreenFrame& freeFrame() const { return availableFrame ? *availableFrame : frame; }

    friend bool operator==(const Screen&, const Screen&) = default;
};

// The desktop's screens as the interface framework sees them. Read on the main thread only.
class ScreenList {
public:
    virtual ~ScreenList() = default;
    ScreenList() = default;
    ScreenList(const ScreenList&) = delete;
    ScreenList& operator=(const ScreenList&) = delete;

    // The screens in the framework's order.
    virtual std::vector<Screen> screens() = 0;
    // The screen with the keyboard focus; none when no screen is shown.
    virtual std::optional<Screen> mainScreen() = 0;
    // Where the pointer is.
    virtual ScreenPoint pointerLocation() = 0;
};

}  // namespace lumadesk
