#include "hardware/PrivateDisplayConnectionController.h"

#include "hardware/DisplayHardwareError.h"

namespace lumadesk {

std::optional<DisplayHardwareError> PrivateDisplayConnectionController::tryToSet(DisplayID displayID,
                                                                                 bool enabled) {
    DisplayConfigurationBox configuration = m_bridge->beginConfiguration();
    std::optional<DisplayHardwareError> failure;
    if (const auto code = m_bridge->configureDisplay(displayID, enabled, configuration);
        code != windowServerSuccess) {
        failure = DisplayHardwareError::failedToConfigureDisplayEnabled(code, displayID, enabled,
                                                                        m_bridge->failureReason());
    } else if (const auto completed = m_bridge->completeConfiguration(configuration);
               completed != windowServerSuccess) {
        failure = DisplayHardwareError::failedToCompleteConfiguration(completed, m_bridge->failureReason());
    } else {
        return std::nullopt;
    }
    m_bridge->cancelConfiguration(configuration);
    return failure;
}

void PrivateDisplayConnectionController::setDisplay(DisplayID displayID, bool enabled) {
    const std::optional<DisplayHardwareError> failure = tryToSet(displayID, enabled);
    if (!failure) return;
    if (!enabled) throw *failure;
    // Disabling lasts only for the session, so the permanent configuration still has the display on:
    // restoring it may bring the display back. A restore that succeeds proves nothing about this display
    // (it may have brought back others, or nothing at all), so the display counts as back only once the
    // window server confirms an enable of it; otherwise the first failure, in its own words, is reported.
    if (m_bridge->restorePermanentConfiguration() != windowServerSuccess || tryToSet(displayID, true))
        throw *failure;
}

}  // namespace lumadesk
