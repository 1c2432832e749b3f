#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/LoginItemService.h"

namespace lumadesk {

// A login-item service that keeps its status in memory: registering enables the item (or leaves it
// waiting for approval when told to), and either request can be made to fail.
class SimulatedLoginItemService final : public LaunchAtLoginServicing {
public:
    explicit SimulatedLoginItemService(LoginItemStatus status = LoginItemStatus::notRegistered)
        : m_status(status) {}

    LoginItemStatus status() const override;
    void registerItem() override;
    void unregisterItem() override;

    // Sets the status, as the user would in the system settings.
    void setStatus(LoginItemStatus status);
    // Whether registering needs the user's approval first.
    void setRequiresApproval(bool requiresApproval);
    // Makes the next requests fail with the reason; none lets them succeed again.
    void setFailure(std::optional<std::string> reason);

private:
    mutable std::mutex m_mutex;
    LoginItemStatus m_status;
    bool m_requiresApproval = false;
    std::optional<std::string> m_failure;
};

}  // namespace lumadesk
