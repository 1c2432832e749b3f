#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/DisplayID.h"

namespace lumadesk {

// Result code of a window-server call: 0 on success.
using WindowServerError = std::int32_t;

inline constexpr WindowServerError windowServerSuccess = 0;
// The code of a configuration call in a session whose display configuration this program cannot change
// (the window server's "not implemented").
inline constexpr WindowServerError configurationUnsupportedInSession = 1006;
// Why a configuration that would leave no display on the desktop is refused, in the user's words.
inline constexpr char lastDisplayRefusal[] =
    "The last display on the desktop cannot be taken off it: at least one display must stay on.";

// The online displays in the window server's order, with the code of the call that listed them.
struct OnlineDisplayList {
    WindowServerError error = windowServerSuccess;
    std::vector<DisplayID> displayIDs;
};

// Handle of an open display-configuration transaction.
using DisplayConfigurationRef = std::uint64_t;

// Outcome of beginning a configuration: a code, and the transaction when one was opened.
struct ConfigurationBegin {
    WindowServerError error = windowServerSuccess;
    std::optional<DisplayConfigurationRef> configuration;
};

// How long a completed configuration lasts.
enum class ConfigureOption : std::uint32_t {
    forAppOnly = 0,   // until this program quits
    forSession = 1,   // until the user logs out
    permanently = 2,  // saved as the permanent configuration
};

// Flags of a reconfiguration callback; the begin bit marks the notice sent before a change.
using ReconfigurationFlags = std::uint32_t;
inline constexpr ReconfigurationFlags beginConfigurationFlag = 1;

// Called by the window server, on any thread, for every display a reconfiguration touches.
using ReconfigurationCallback = std::function<void(DisplayID displayID, ReconfigurationFlags flags)>;

// Identifies one registered reconfiguration callback.
using ReconfigurationToken = std::uint64_t;

// The window server: which displays are online, what they are, and changes to their configuration.
class WindowServer {
public:
    virtual ~WindowServer() = default;
    WindowServer() = default;
    WindowServer(const WindowServer&) = delete;
    WindowServer& operator=(const WindowServer&) = delete;

    // The online displays, in the window server's order.
    virtual OnlineDisplayList onlineDisplayIDs() = 0;
    // Whether the display is the built-in panel.
    virtual bool isBuiltin(DisplayID displayID) = 0;
    // The display this one mirrors, 0 when it mirrors none.
    virtual DisplayID mirrorsDisplay(DisplayID displayID) = 0;
    // The EDID manufacturer ID as a number (the two EDID bytes taken big-endian).
    virtual std::uint32_t vendorNumber(DisplayID displayID) = 0;
    // The EDID product code.
    virtual std::uint32_t modelNumber(DisplayID displayID) = 0;
    // The EDID serial number (0 when the monitor reports none).
    virtual std::uint32_t serialNumber(DisplayID displayID) = 0;
    // The display's unit number, which also finds its registry service.
    virtual std::uint32_t unitNumber(DisplayID displayID) = 0;

    // Opens a configuration transaction.
    virtual ConfigurationBegin beginConfiguration() = 0;
    // Asks, inside the transaction, for the display to be enabled or disabled.
    virtual WindowServerError configureDisplayEnabled(DisplayConfigurationRef configuration,
                                                      DisplayID displayID, bool enabled) = 0;
    // Applies the transaction for as long as the option says and closes it.
    virtual WindowServerError completeConfiguration(DisplayConfigurationRef configuration,
                                                    ConfigureOption option) = 0;
    // Drops the transaction without applying it.
    virtual void cancelConfiguration(DisplayConfigurationRef configuration) = 0;
    // Returns every display to its permanent (saved) configuration.
    virtual WindowServerError restorePermanentConfiguration() = 0;
    // Why the last failed configuration call failed, in the user's words; empty when its code is all
    // there is to tell.
    virtual std::string configurationFailureReason() { return {}; }

    // Registers a callback for display reconfigurations.
    virtual ReconfigurationToken registerReconfigurationCallback(ReconfigurationCallback callback) = 0;
    // Removes a registered callback; it is not called any more once this returns.
    virtual void removeReconfigurationCallback(ReconfigurationToken token) = 0;
};

}  // namespace lumadesk
