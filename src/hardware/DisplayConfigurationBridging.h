#pragma once

#include <string>

#include "hardware/DisplayConfigurationBox.h"
#include "platform/DisplayID.h"
#include "platform/WindowServer.h"

namespace lumadesk {

// The window server's configuration transaction as separate steps.
class DisplayConfigurationBridging {
public:
    virtual ~DisplayConfigurationBridging() = default;
    DisplayConfigurationBridging() = default;
    DisplayConfigurationBridging(const DisplayConfigurationBridging&) = delete;
    DisplayConfigurationBridging& operator=(const DisplayConfigurationBridging&) = delete;

    // Opens a transaction; throws failedToBeginConfiguration when none is opened.
    virtual DisplayConfigurationBox beginConfiguration() = 0;
    // Asks for the display to be enabled or disabled inside the transaction; the window server's code.
    virtual WindowServerError configureDisplay(DisplayID displayID, bool enabled,
                                               DisplayConfigurationBox& configuration) = 0;
    // Applies the transaction until the user logs out; the window server's code.
    virtual WindowServerError completeConfiguration(DisplayConfigurationBox& configuration) = 0;
    // Drops the transaction.
    virtual void cancelConfiguration(DisplayConfigurationBox& configuration) = 0;
    // Returns every display to its permanent configuration, the fallback after a failed re-enable.
    virtual WindowServerError restorePermanentConfiguration() = 0;
    // Why the last failed call failed, in the user's words; empty when its code is all there is to tell.
    virtual std::string failureReason() { return {}; }
};

}  // namespace lumadesk
