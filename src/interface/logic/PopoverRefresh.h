#pragma once

#include <functional>
#include <memory>

#include "runtime/MainQueue.h"
#include "runtime/Task.h"

namespace lumadesk {

// The popover's own refresh: at most one at a time, and `isRefreshing` only while it runs. Refreshes
// started elsewhere do not show here. The refresh blocks the main thread, so it starts only when the view
// says that the busy state is on screen.
class PopoverRefresh {
public:
    using Refresh = std::function<Task<void>()>;
    using Listener = std::function<void()>;
    // Runs `begin` once the view shows the refresh running.
    using WhenShown = std::function<void(std::function<void()> begin)>;

    // `refresh` starts the manager's refresh; `changed` hears every change of `isRefreshing`.
    PopoverRefresh(MainQueue& queue, Refresh refresh, Listener changed, WhenShown whenShown);

    bool isRefreshing() const { return m_state->isRefreshing; }
    // Starts a refresh on the queue unless one of this popover is running; false when it did not start.
    bool start();

private:
    struct State {
        bool isRefreshing = false;
        Listener changed;
    };
    static Task<void> refreshThenClear(Task<void> refresh, std::weak_ptr<State> state);

    MainQueue& m_queue;
    Refresh m_refresh;
    WhenShown m_whenShown;
    std::shared_ptr<State> m_state;
};

}  // namespace lumadesk
