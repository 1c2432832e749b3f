#include "intents/DisplayQuery.h"

#include <algorithm>

#include "intents/DisplayIntentError.h"

namespace lumadesk {

Task<std::vector<DisplayEntity>> DisplayQuery::loadedEntities(DisplayManager& manager) {
    if (!manager.hasLoaded()) co_await manager.refresh();
    co_return makeDisplayEntities(manager.visibleDisplays());
}

Task<std::vector<DisplayEntity>> DisplayQuery::allEntities() const {
    return loadedEntities(m_manager);
}

Task<std::vector<DisplayEntity>> DisplayQuery::entitiesFor(DisplayManager& manager,
                                                           std::vector<std::string> identifiers) {
    std::vector<DisplayEntity> found = co_await loadedEntities(manager);
    std::erase_if(found, [&](const DisplayEntity& entity) {
        return std::ranges::find(identifiers, entity.hardwareID) == identifiers.end();
    });
    co_return found;
}

Task<DisplayEntity> DisplayQuery::entityFor(DisplayManager& manager, std::string hardwareID) {
    std::vector<std::string> identifiers(1, hardwareID);
    std::vector<DisplayEntity> found = co_await entitiesFor(manager, std::move(identifiers));
    if (found.empty()) found.push_back({hardwareID, hardwareID, std::string()});
    co_return std::move(found.front());
}

std::vector<std::string> hardwareIDsNamed(const std::vector<DisplayEntity>& entities,
                                          const std::string& argument) {
    for (const DisplayEntity& entity : entities) {
        if (entity.hardwareID == argument) return {argument};
    }
    std::vector<std::string> named;
    for (const DisplayEntity& entity : entities) {
        if (entity.displayName == argument ||
            entity.displayName == argument + std::string(DisplayEntity::disconnectedSuffix)) {
            named.push_back(entity.hardwareID);
        }
    }
    return named;
}

Display lookUpDisplay(const DisplayManager& manager, const std::string& hardwareID) {
    for (Display& display : manager.visibleDisplays()) {
        if (display.hardwareID == hardwareID) return std::move(display);
    }
    throw DisplayIntentError::displayNotFound(hardwareID);
}

}  // namespace lumadesk
