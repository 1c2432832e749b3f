#include "interface/logic/PopoverPlacement.h"

#include <algorithm>

namespace lumadesk {

PopoverPlacement::Point PopoverPlacement::place(int width, int height, std::optional<Rect> icon,
                                                Point pointer, Rect screen) {
    const Rect anchor =
        icon && icon->width > 0 && icon->height > 0 ? *icon : Rect{pointer.x, pointer.y, 0, 0};
    // A panel in the lower half of the screen opens its window upwards.
    const bool opensUpwards = anchor.centreY() > screen.centreY();
    int y = opensUpwards ? anchor.y - gap - height : anchor.bottom() + gap;
    int x = anchor.centreX() - width / 2;
    x = std::clamp(x, screen.x, std::max(screen.x, screen.x + screen.width - width));
    y = std::clamp(y, screen.y, std::max(screen.y, screen.y + screen.height - height));
    return {x, y};
}

}  // namespace lumadesk
