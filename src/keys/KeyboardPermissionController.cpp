#include "keys/KeyboardPermissionController.h"

#include "platform/PermissionServices.h"

#include <utility>

namespace lumadesk {

KeyboardPermissionController::KeyboardPermissionController(ReadState readState, Request requestAccessibility,
                                                           Request requestInputMonitoring)
    : m_readState(std::move(readState)),
      m_requestAccessibility(std::move(requestAccessibility)),
      m_requestInputMonitoring(std::move(requestInputMonitoring)),
      m_state(m_readState()) {}

KeyboardPermissionController::KeyboardPermissionController(PermissionServices& services)
    : KeyboardPermissionController(
          [&services] {
              return KeyboardPermissionState{.accessibilityGranted = services.accessibilityGranted(),
                                             .inputMonitoringGranted = services.inputMonitoringGranted()};
          },
          [&services] { services.requestAccessibility(); },
          [&services] { services.requestInputMonitoring(); }) {}

bool KeyboardPermissionController::refresh() {
    return m_state.set(m_readState());
}

void KeyboardPermissionController::requestAccess() {
    m_state.set(m_readState());
    if (!m_state.get().inputMonitoringGranted) m_requestInputMonitoring();
    if (!m_state.get().accessibilityGranted) m_requestAccessibility();
    m_state.set(m_readState());
}

}  // namespace lumadesk
