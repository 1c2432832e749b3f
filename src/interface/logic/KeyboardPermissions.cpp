#include "interface/logic/KeyboardPermissions.h"

#include <utility>

namespace lumadesk {

Subscription KeyboardPermissionBinding::observe(std::function<void()> callback) {
    return m_controller.state().subscribe(
        [callback = std::move(callback)](const KeyboardGrants&) { callback(); });
}

std::string keyboardPermissionText(const KeyboardGrants& grants) {
    if (grants.accessibilityGranted && grants.inputMonitoringGranted) return "Keyboard access is enabled.";
    if (grants.accessibilityGranted) return "Allow Lumadesk in Input Monitoring.";
    if (grants.inputMonitoringGranted) return "Allow Lumadesk in Accessibility.";
    return "Allow Lumadesk in Accessibility and Input Monitoring.";
}

}  // namespace lumadesk
