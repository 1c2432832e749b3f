#include "keys/BrightnessHUDPlacement.h"

#include <algorithm>

namespace lumadesk {

namespace {

constexpr double gap = 8;
constexpr double edgeTolerance = 5;

}  // namespace

ScreenFrame BrightnessHUDPlacement::initialFrame(const ScreenFrame& screen) {
    return {.x = screen.x + screen.width - width - 12,
            .y = screen.y + 24 + gap,
            .width = width,
            .height = height};
}

namespace {

// The screen that shows the icon's centre; the main screen when none does.
const Screen& screenOfIcon(const Screen& mainScreen, const std::vector<Screen>& screens,
                           const ScreenFrame& icon) {
    const ScreenPoint centre{icon.x + icon.width / 2, icon.y + icon.height / 2};
    const auto found =
        std::ranges::find_if(screens, [&](const Screen& s) { return s.frame.contains(centre); });
    return found == screens.end() ? mainScreen : *found;
}

// The origin moved just enough to keep the whole panel inside the area; a panel larger than the area
// keeps its top-left corner inside.
ScreenPoint keptInside(ScreenPoint origin, const ScreenFrame& area) {
    const double right = std::max(area.x, area.x + area.width - BrightnessHUDPlacement::width);
    const double bottom = std::max(area.y, area.y + area.height - BrightnessHUDPlacement::height);
    return {.x = std::clamp(origin.x, area.x, right), .y = std::clamp(origin.y, area.y, bottom)};
}

}  // namespace

ScreenPoint BrightnessHUDPlacement::origin(const Screen& mainScreen, const std::vector<Screen>& screens,
                                           const std::optional<ScreenFrame>& trayItem) {
    if (trayItem && trayItem->width < 100 && trayItem->height < 50) {
        const Screen& screen = screenOfIcon(mainScreen, screens, *trayItem);
        const ScreenFrame& frame = screen.frame;
        const double centredX = trayItem->x + trayItem->width / 2 - width / 2;
        if (trayItem->y <= frame.y + edgeTolerance)
            return keptInside({.x = centredX, .y = trayItem->y + trayItem->height + gap}, screen.freeFrame());
        if (trayItem->y + trayItem->height >= frame.y + frame.height - edgeTolerance)
            return keptInside({.x = centredX, .y = trayItem->y - gap - height}, screen.freeFrame());
    }
    const ScreenFrame& frame = mainScreen.frame;
    return keptInside({.x = frame.x + frame.width - width - 16, .y = frame.y + 32}, mainScreen.freeFrame());
}

}  // namespace lumadesk
