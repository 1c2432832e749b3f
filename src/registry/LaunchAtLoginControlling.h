#pragma once

#include "platform/LoginItemService.h"

namespace lumadesk {

// Controls whether the application starts at login. Failures are thrown as LoginItemError.
class LaunchAtLoginControlling {
public:
    virtual ~LaunchAtLoginControlling() = default;
    LaunchAtLoginControlling() = default;
    LaunchAtLoginControlling(const LaunchAtLoginControlling&) = delete;
    LaunchAtLoginControlling& operator=(const LaunchAtLoginControlling&) = delete;

    // The login item's current status.
    virtual LoginItemStatus loginItemStatus() const = 0;
    // Registers the application as a login item.
    virtual void registerLoginItem() = 0;
    // Removes the application's login item.
    virtual void unregisterLoginItem() = 0;
};

// A status that counts as "starts at login": registered, whether or not approved yet.
inline bool countsAsOn(LoginItemStatus status) {
    return status == LoginItemStatus::enabled || status == LoginItemStatus::requiresApproval;
}

}  // namespace lumadesk
