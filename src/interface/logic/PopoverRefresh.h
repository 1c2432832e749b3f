#pragma once

#include <functional>
#include <memory>

#include "runtime/MainQueue.h"
#include "runtime/Task.h"

namespace lumadesk {

// The popover's own refresh: at most one at a time, and `isRefreshing` only while it runs. Refreshes
// started elsewhere do not show here.
class PopoverRefresh {
public:
    using Refresh = std::function<Task<void>()>;
    using Listener = std::function<void()>;

    // `refresh` starts the manager's refresh; `changed` hears every change of `isRefreshing`.
    PopoverRefresh(MainQueue& queue, Refresh refresh, Listener changed);

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
    std::shared_ptr<State> m_state;
};

}  // namespace lumadesk
