#pragma once

#include <functional>

#include "runtime/MainQueue.h"

namespace lumadesk {

// Turns a burst of change events into one action, `delay` after the last event of the burst: a plug
// sends several kernel events (connector, then the bus, then its node's permissions), and the displays
// are read once all of them are in. Used on the main thread.
class ChangeDebouncer {
public:
    ChangeDebouncer(MainQueue& queue, Duration delay, std::function<void()> action)
        : m_queue(queue), m_delay(delay), m_action(std::move(action)) {}
    ChangeDebouncer(const ChangeDebouncer&) = delete;
    ChangeDebouncer& operator=(const ChangeDebouncer&) = delete;
    ~ChangeDebouncer() { m_pending.cancel(); }

    // An event arrived: the action runs `delay` from now, unless another event comes first.
    void eventArrived();

private:
    MainQueue& m_queue;
    Duration m_delay;
    std::function<void()> m_action;
    TimerHandle m_pending;
};

}  // namespace lumadesk
