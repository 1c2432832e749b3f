#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "platform/DisplayID.h"
#include "platform/WindowServer.h"

namespace lumadesk {

// A failure of the hardware layer; its description is the text shown to the user.
class DisplayHardwareError : public std::exception {
public:
    enum class Kind {
        unsupportedDisplay,
        failedToReadVCP,
        failedToWriteVCP,
        failedToBeginConfiguration,
        failedToConfigureDisplayEnabled,
        failedToCompleteConfiguration,
    };

    // The display is built in or has no DDC channel.
    static DisplayHardwareError unsupportedDisplay(DisplayID displayID);
    // A VCP get did not yield a valid reply.
    static DisplayHardwareError failedToReadVCP(std::uint8_t feature, DisplayID displayID);
    // A VCP set failed.
    static DisplayHardwareError failedToWriteVCP(std::uint8_t feature, DisplayID displayID,
                                                 std::uint16_t value);
    // Opening a configuration transaction failed. A reason the window system gave in the user's words
    // is the description; without one the code is.
    static DisplayHardwareError failedToBeginConfiguration(WindowServerError code, std::string reason = {});
    // The enable or disable request inside a configuration transaction failed.
    static DisplayHardwareError failedToConfigureDisplayEnabled(WindowServerError code, DisplayID displayID,
                                                                bool isEnabled, std::string reason = {});
    // Completing a configuration transaction failed.
    static DisplayHardwareError failedToCompleteConfiguration(WindowServerError code, std::string reason = {});

    Kind kind() const { return m_kind; }
    // The payload; fields a case does not carry are zero or false.
    DisplayID displayID() const { return m_displayID; }
    std::uint8_t feature() const { return m_feature; }
    std::uint16_t value() const { return m_value; }
    WindowServerError code() const { return m_code; }
    bool isEnabled() const { return m_isEnabled; }

    // The user-visible message.
    const std::string& description() const { return m_description; }
    const char* what() const noexcept override { return m_description.c_str(); }

    friend bool operator==(const DisplayHardwareError& a, const DisplayHardwareError& b) {
        return a.m_kind == b.m_kind && a.m_displayID == b.m_displayID && a.m_feature == b.m_feature &&
               a.m_value == b.m_value && a.m_code == b.m_code && a.m_isEnabled == b.m_isEnabled;
    }

private:
    DisplayHardwareError(Kind kind, std::string description)
        : m_kind(kind), m_description(std::move(description)) {}

    Kind m_kind;
    DisplayID m_displayID = 0;
    std::uint8_t m_feature = 0;
    std::uint16_t m_value = 0;
    WindowServerError m_code = 0;
    bool m_isEnabled = false;
    std::string m_description;
};

}  // namespace lumadesk
