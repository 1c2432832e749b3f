#include "interface/logic/KeyboardPermissions.h"

#include <utility>

namespace lumadesk {

KeyboardPermissionModel::KeyboardPermissionModel(Operations operations)
    : m_operations(std::move(operations)), m_state(m_operations.readState()) {}

bool KeyboardPermissionModel::refresh() {
    return m_state.set(m_operations.readState());
}

void KeyboardPermissionModel::requestAccess() {
    m_state.set(m_operations.readState());
    if (!m_state.get().inputMonitoringGranted) m_operations.requestInputMonitoring();
    if (!m_state.get().accessibilityGranted) m_operations.requestAccessibility();
    m_state.set(m_operations.readState());
}

Subscription KeyboardPermissionModel::observe(std::function<void()> callback) {
    return m_state.subscribe([callback = std::move(callback)](const KeyboardGrants&) { callback(); });
}

std::string keyboardPermissionText(const KeyboardGrants& grants) {
    if (grants.accessibilityGranted && grants.inputMonitoringGranted) return "Keyboard access is enabled.";
    if (grants.accessibilityGranted) return "Allow Lumadesk in Input Monitoring.";
    if (grants.inputMonitoringGranted) return "Allow Lumadesk in Accessibility.";
    return "Allow Lumadesk in Accessibility and Input Monitoring.";
}

}  // namespace lumadesk
