#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/WindowServer.h"
#include "platform/linux/configuration/OutputIdentity.h"
#include "platform/linux/configuration/OutputPlace.h"
#include "runtime/Deadline.h"

namespace lumadesk {

// One output to take off the desktop (enabled false) or put back (enabled true).
struct OutputChange {
    OutputIdentity output;
    bool enabled = false;
};

// The message of every backend that is asked to switch off the last display on the desktop.
inline constexpr auto& lastOutputMessage = lastDisplayRefusal;

// Throws the last-output refusal when a layout would be left with no enabled output.
void requireAnEnabledOutput(std::size_t enabledAfterwards);

// The message of a change that could not even be asked for because the deadline had passed.
inline constexpr char noTimeLeftMessage[] = "There was no time left to change the display layout.";

// Throws the no-time-left error once the deadline has passed.
void requireTimeLeft(const Deadline& deadline);
// The timeout of one call to the window system whose own limit is `own`, shortened to what is left
// of the deadline; throws the no-time-left error once nothing is.
std::chrono::milliseconds callTimeout(const Deadline& deadline, std::chrono::milliseconds own);

// One session's display-configuration service (RandR, Mutter, KWin, a wlroots compositor, or none),
// applying output changes for the rest of the session, never permanently.
class OutputConfigurationBackend {
public:
    virtual ~OutputConfigurationBackend() = default;
    OutputConfigurationBackend() = default;
    OutputConfigurationBackend(const OutputConfigurationBackend&) = delete;
    OutputConfigurationBackend& operator=(const OutputConfigurationBackend&) = delete;

    // The service's name for diagnostics ("X11 RandR", "GNOME Mutter DisplayConfig", ...).
    virtual std::string name() const = 0;
    // False when the session has no service this program can drive: then no change can ever apply.
    virtual bool isSupported() const = 0;
    // Applies every change or none; returns once the window system has confirmed, and by the deadline
    // when one is set (every call to the window system is cut short to fit). Throws
    // OutputConfigurationError with the user-visible reason when it did not apply them.
    void apply(const std::vector<OutputChange>& changes, const Deadline& deadline = {}) {
        applyWithin(changes, deadline);
    }
    // Sets the handler called (on the main thread, from processEvents() or apply()) after the
    // session's display layout changed.
    virtual void setChangeHandler(std::function<void()> handler) = 0;
    // A descriptor that becomes readable when the service has news for processEvents(); -1 for none.
    virtual int eventDescriptor() const = 0;
    // Reads what the service sent and calls the change handler for layout changes.
    virtual void processEvents() = 0;
    // The connected outputs by the window system's own names, with the EDIDs it reads from them; empty
    // when the service does not list them (its names are then the kernel's connector names).
    virtual std::vector<OutputCandidate> connectedOutputs() { return {}; }
    // Where the output was when this backend last took it off the desktop; none when it did not, or when
    // the service does not tell.
    virtual std::optional<OutputPlace> placeOf(const OutputIdentity& /*output*/) const {
        return std::nullopt;
    }
    // Where to put the output back when it is next enabled, for an output this backend did not take off
    // itself (another process did, or an earlier run); a backend that cannot place outputs ignores it.
    virtual void rememberPlace(const OutputIdentity& /*output*/, const OutputPlace& /*place*/) {}

protected:
    // apply() of the service.
    virtual void applyWithin(const std::vector<OutputChange>& changes, const Deadline& deadline) = 0;
};

}  // namespace lumadesk
