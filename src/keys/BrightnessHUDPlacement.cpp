#include "keys/BrightnessHUDPlacement.h"

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

ScreenPoint BrightnessHUDPlacement::origin(const ScreenFrame& screen,
                                           const std::optional<ScreenFrame>& trayItem) {
    if (trayItem && trayItem->width < 100 && trayItem->height < 50) {
        const double centredX = trayItem->x + trayItem->width / 2 - width / 2;
        if (trayItem->y <= screen.y + edgeTolerance)
            return {.x = centredX, .y = trayItem->y + trayItem->height + gap};
        if (trayItem->y + trayItem->height >= screen.y + screen.height - edgeTolerance)
            return {.x = centredX, .y = trayItem->y - gap - height};
    }
    return {.x = screen.x + screen.width - width - 16, .y = screen.y + 32};
}

}  // namespace lumadesk
