#include "hardware/DisplayHardwareError.h"

#include <string>

namespace lumadesk {

namespace {

// A VCP feature code as the messages write it: lowercase hexadecimal without leading zeros.
std::string featureHex(std::uint8_t feature) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    if (feature >= 0x10) text += digits[feature >> 4];
    text += digits[feature & 0x0F];
    return text;
}

}  // namespace

DisplayHardwareError DisplayHardwareError::unsupportedDisplay(DisplayID displayID) {
    DisplayHardwareError error(Kind::unsupportedDisplay,
                               "Display " + std::to_string(displayID) + " does not support DDC.");
    error.m_displayID = displayID;
    return error;
}

DisplayHardwareError DisplayHardwareError::failedToReadVCP(std::uint8_t feature, DisplayID displayID) {
    DisplayHardwareError error(Kind::failedToReadVCP, "Failed to read VCP 0x" + featureHex(feature) +
                                                          " for display " + std::to_string(displayID) + ".");
    error.m_feature = feature;
    error.m_displayID = displayID;
    return error;
}

DisplayHardwareError DisplayHardwareError::failedToWriteVCP(std::uint8_t feature, DisplayID displayID,
                                                            std::uint16_t value) {
    DisplayHardwareError error(Kind::failedToWriteVCP, "Failed to write VCP 0x" + featureHex(feature) + "=" +
                                                           std::to_string(value) + " for display " +
                                                           std::to_string(displayID) + ".");
    error.m_feature = feature;
    error.m_displayID = displayID;
    error.m_value = value;
    return error;
}

DisplayHardwareError DisplayHardwareError::failedToBeginConfiguration(WindowServerError code) {
    // A session that cannot take displays off the desktop at all says so in plain words.
    DisplayHardwareError error(
        Kind::failedToBeginConfiguration,
        code == configurationUnsupportedInSession
            ? "Taking a display off the desktop is not supported in this session."
            : "Failed to begin display configuration (CGError " + std::to_string(code) + ").");
    error.m_code = code;
    return error;
}

DisplayHardwareError DisplayHardwareError::failedToConfigureDisplayEnabled(WindowServerError code,
                                                                           DisplayID displayID,
                                                                           bool isEnabled) {
    DisplayHardwareError error(Kind::failedToConfigureDisplayEnabled,
                               "Failed to set display " + std::to_string(displayID) +
                                   " enabled=" + (isEnabled ? "true" : "false") + " (CGError " +
                                   std::to_string(code) + ").");
    error.m_code = code;
    error.m_displayID = displayID;
    error.m_isEnabled = isEnabled;
    return error;
}

DisplayHardwareError DisplayHardwareError::failedToCompleteConfiguration(WindowServerError code) {
    DisplayHardwareError error(
        Kind::failedToCompleteConfiguration,
        "Failed to complete display configuration (CGError " + std::to_string(code) + ").");
    error.m_code = code;
    return error;
}

}  // namespace lumadesk
