#pragma once

#include "platform/WindowServer.h"

namespace lumadesk {

// One open configuration transaction, from a successful begin until it is completed or cancelled.
class DisplayConfigurationBox {
public:
    explicit DisplayConfigurationBox(DisplayConfigurationRef configuration)
        : m_configuration(configuration) {}
    DisplayConfigurationBox(DisplayConfigurationBox&&) = default;
    DisplayConfigurationBox& operator=(DisplayConfigurationBox&&) = default;
    DisplayConfigurationBox(const DisplayConfigurationBox&) = delete;
    DisplayConfigurationBox& operator=(const DisplayConfigurationBox&) = delete;

    // The window server's handle of the transaction.
    DisplayConfigurationRef configuration() const { return m_configuration; }

private:
    DisplayConfigurationRef m_configuration;
};

}  // namespace lumadesk
