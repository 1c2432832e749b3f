#include "intents/DisplayEntity.h"

#include <algorithm>

namespace lumadesk {

std::vector<DisplayEntity> makeDisplayEntities(std::vector<Display> displays) {
    std::ranges::stable_sort(displays, {}, &Display::sortOrder);
    std::vector<DisplayEntity> entities;
    entities.reserve(displays.size());
    for (const Display& display : displays) {
        std::string name = display.displayName();
        if (!display.isConnected) name += DisplayEntity::disconnectedSuffix;
        entities.push_back({display.hardwareID, std::move(name), display.modelName});
    }
    return entities;
}

}  // namespace lumadesk
