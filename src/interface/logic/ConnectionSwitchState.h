#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "runtime/MainQueue.h"
#include "runtime/Task.h"

namespace lumadesk {

// A row's connection switch: one change at a time, and the message of the last failed one until the
// next flip or until the display's connection changes by other means. A change outlives the row that
// started it; its result then goes nowhere.
class ConnectionSwitchState {
public:
    // Connects (true) or disconnects (false) the display; yields the error message, none on success.
    using Toggle = std::function<Task<std::optional<std::string>>(bool connect)>;
    using Listener = std::function<void()>;

    // `changed` hears when a change starts and when its result arrives.
    ConnectionSwitchState(MainQueue& queue, Listener changed);

    bool isTogglingConnection() const { return m_state->requested.has_value(); }
    // The state the running change asks for; none while no change runs.
    std::optional<bool> requestedConnection() const { return m_state->requested; }
    const std::optional<std::string>& connectionError() const { return m_state->error; }

    // The user flipped the switch to `connect`: starts the change on the queue unless one is running;
    // false when it did not start.
    bool flip(bool connect, const Toggle& toggle);
    // The display's connection state changed; a change made elsewhere clears the old error.
    void connectionChanged();

private:
    struct State {
        std::optional<bool> requested;
        std::optional<std::string> error;
        Listener changed;
    };
    static Task<void> toggleThenReport(Task<std::optional<std::string>> change, std::weak_ptr<State> state);

    MainQueue& m_queue;
    std::shared_ptr<State> m_state;
};

}  // namespace lumadesk
