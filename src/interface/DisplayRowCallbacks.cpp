#include "interface/DisplayRowCallbacks.h"

#include "registry/DisplayManager.h"

#include <utility>

namespace lumadesk {

namespace {

// The connection change of one row: the manager's operation, then whatever error it left behind.
Task<std::optional<std::string>> setConnectedAndReport(DisplayManager* manager, bool connect,
                                                       std::string hardwareID) {
    co_await manager->setConnected(connect, std::move(hardwareID));
    co_return manager->lastErrorMessage();
}

}  // namespace

DisplayRowCallbacks managerRowCallbacks(DisplayManager& manager, std::string hardwareID,
                                        RowRenaming renaming) {
    DisplayManager* owner = &manager;
    std::function<void(std::optional<std::string>)> rename = [](std::optional<std::string>) {};
    if (renaming == RowRenaming::offered)
        rename = [owner, hardwareID](std::optional<std::string> name) {
            owner->setCustomName(std::move(name), hardwareID);
        };
    return {
        std::move(rename),
        [owner, hardwareID](bool connect) { return setConnectedAndReport(owner, connect, hardwareID); },
        [owner, hardwareID](int level) { return owner->setBrightness(level, hardwareID); },
    };
}

}  // namespace lumadesk
