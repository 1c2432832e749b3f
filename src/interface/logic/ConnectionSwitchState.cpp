#include "interface/logic/ConnectionSwitchState.h"

#include <exception>
#include <utility>

#include "runtime/Spawn.h"

namespace lumadesk {

ConnectionSwitchState::ConnectionSwitchState(MainQueue& queue, Listener changed)
    : m_queue(queue), m_state(std::make_shared<State>()) {
    m_state->changed = std::move(changed);
}

bool ConnectionSwitchState::flip(bool connect, const Toggle& toggle) {
    if (m_state->requested) return false;
    m_state->error.reset();
    m_state->requested = connect;
    m_state->changed();
    spawn(m_queue, toggleThenReport(toggle(connect), m_state));
    return true;
}

void ConnectionSwitchState::connectionChanged() {
    if (m_state->requested || !m_state->error) return;
    m_state->error.reset();
    m_state->changed();
}

Task<void> ConnectionSwitchState::toggleThenReport(Task<std::optional<std::string>> change,
                                                   std::weak_ptr<State> weak) {
    std::optional<std::string> error;
    try {
        auto result = co_await std::move(change);
        error = std::move(result);
    } catch (const std::exception& failure) {
        error = failure.what();  // the switch must come back even when the change broke down
    }
    auto state = weak.lock();
    if (!state) co_return;
    state->error = std::move(error);
    state->requested.reset();
    state->changed();
}

}  // namespace lumadesk
