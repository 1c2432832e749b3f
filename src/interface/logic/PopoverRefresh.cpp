#include "interface/logic/PopoverRefresh.h"

#include <exception>
#include <utility>

#include "runtime/Spawn.h"

namespace lumadesk {

PopoverRefresh::PopoverRefresh(MainQueue& queue, Refresh refresh, Listener changed, WhenShown whenShown)
    : m_queue(queue),
      m_refresh(std::move(refresh)),
      m_whenShown(std::move(whenShown)),
      m_state(std::make_shared<State>()) {
    m_state->changed = std::move(changed);
}

bool PopoverRefresh::start() {
    if (m_state->isRefreshing) return false;
    m_state->isRefreshing = true;
    m_state->changed();
    m_whenShown([queue = &m_queue, refresh = m_refresh, weak = std::weak_ptr<State>(m_state)] {
        spawn(*queue, refreshThenClear(refresh(), weak));
    });
    return true;
}

// The refresh runs to its end even when the popover is gone; then there is nobody left to tell. A
// refresh that fails still ends, so that the button comes back.
Task<void> PopoverRefresh::refreshThenClear(Task<void> refresh, std::weak_ptr<State> weak) {
    std::exception_ptr failure;
    try {
        co_await std::move(refresh);
    } catch (...) {
        failure = std::current_exception();
    }
    if (auto state = weak.lock()) {
        state->isRefreshing = false;
        state->changed();
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace lumadesk
