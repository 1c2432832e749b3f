#include "hardware/SystemDisplayConfigurationBridge.h"

#include "hardware/DisplayHardwareError.h"

namespace lumadesk {

DisplayConfigurationBox SystemDisplayConfigurationBridge::beginConfiguration() {
    const ConfigurationBegin begun = m_windowServer.beginConfiguration();
    if (begun.error != windowServerSuccess)
        throw DisplayHardwareError::failedToBeginConfiguration(begun.error, failureReason());
    // A success without a transaction is still a failure; there is no better code to report than 0.
    if (!begun.configuration) throw DisplayHardwareError::failedToBeginConfiguration(windowServerSuccess);
    return DisplayConfigurationBox(*begun.configuration);
}

WindowServerError SystemDisplayConfigurationBridge::configureDisplay(DisplayID displayID, bool enabled,
                                                                     DisplayConfigurationBox& configuration) {
    return m_windowServer.configureDisplayEnabled(configuration.configuration(), displayID, enabled);
}

WindowServerError SystemDisplayConfigurationBridge::completeConfiguration(
    DisplayConfigurationBox& configuration) {
    return m_windowServer.completeConfiguration(configuration.configuration(), ConfigureOption::forSession);
}

void SystemDisplayConfigurationBridge::cancelConfiguration(DisplayConfigurationBox& configuration) {
    m_windowServer.cancelConfiguration(configuration.configuration());
}

WindowServerError SystemDisplayConfigurationBridge::restorePermanentConfiguration() {
    return m_windowServer.restorePermanentConfiguration();
}

std::string SystemDisplayConfigurationBridge::failureReason() {
    return m_windowServer.configurationFailureReason();
}

}  // namespace lumadesk
