#pragma once

#include <optional>
#include <string>

#include "platform/LoginItemService.h"

namespace lumadesk {

// A login-item service with a settable status; registering moves it to statusAfterRegister,
// unregistering to notRegistered, unless a failure message is set.
class FakeLoginItemService final : public LaunchAtLoginServicing {
public:
    LoginItemStatus status() const override {
        ++statusReads;
        return currentStatus;
    }
    void registerItem() override {
        ++registerCalls;
        if (registerFailure) throw LoginItemError(*registerFailure);
        currentStatus = statusAfterRegister;
    }
    void unregisterItem() override {
        ++unregisterCalls;
        if (unregisterFailure) throw LoginItemError(*unregisterFailure);
        currentStatus = LoginItemStatus::notRegistered;
    }

    LoginItemStatus currentStatus = LoginItemStatus::enabled;
    LoginItemStatus statusAfterRegister = LoginItemStatus::enabled;
    std::optional<std::string> registerFailure;
    std::optional<std::string> unregisterFailure;
    int registerCalls = 0;
    int unregisterCalls = 0;
    mutable int statusReads = 0;
};

}  // namespace lumadesk
