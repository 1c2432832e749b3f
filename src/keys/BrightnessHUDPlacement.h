#pragma once

#include <optional>
#include <vector>

#include "platform/ScreenList.h"

namespace lumadesk {

// Where the brightness panel goes on a screen (desktop coordinates, origin at the top left).
struct BrightnessHUDPlacement {
    static constexpr double width = 302;
    static constexpr double height = 72;

    // The frame the panel is created with, near the top right corner.
    static ScreenFrame initialFrame(const ScreenFrame& screen);
    // Centred on the tray icon, 8 points below it when the icon sits in a panel at the top of its screen
    // or 8 points above it in a panel at the bottom; otherwise the top right corner of the main screen,
    // 16 points from the right edge and 32 below the top. Only an icon-sized item (under 100 x 50)
    // counts as the icon. Either way the panel is then pushed inside the free part of that screen, so an
    // icon near an edge never leaves the panel partly off screen.
    static ScreenPoint origin(const Screen& mainScreen, const std::vector<Screen>& screens,
                              const std::optional<ScreenFrame>& trayItem);
};

}  // namespace lumadesk
