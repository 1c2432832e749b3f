#include "platform/simulated/SimulatedLoginItemService.h"

namespace lumadesk {

LoginItemStatus SimulatedLoginItemService::status() const {
    std::lock_guard lock(m_mutex);
    return m_status;
}

void SimulatedLoginItemService::registerItem() {
    std::lock_guard lock(m_mutex);
    if (m_failure) throw LoginItemError(*m_failure);
    m_status = m_requiresApproval ? LoginItemStatus::requiresApproval : LoginItemStatus::enabled;
}

void SimulatedLoginItemService::unregisterItem() {
    std::lock_guard lock(m_mutex);
    if (m_failure) throw LoginItemError(*m_failure);
    m_status = LoginItemStatus::notRegistered;
}

void SimulatedLoginItemService::setStatus(LoginItemStatus status) {
    std::lock_guard lock(m_mutex);
    m_status = status;
}

void SimulatedLoginItemService::setRequiresApproval(bool requiresApproval) {
    std::lock_guard lock(m_mutex);
    m_requiresApproval = requiresApproval;
}

void SimulatedLoginItemService::setFailure(std::optional<std::string> reason) {
    std::lock_guard lock(m_mutex);
    m_failure = std::move(reason);
}

}  // namespace lumadesk
