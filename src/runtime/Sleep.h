#pragma once

#include <atomic>
#include <memory>
#include <optional>

#include "runtime/Task.h"

namespace lumadesk {

namespace detail {

// Shared by a sleeping coroutine's timer and its stop callback: whichever comes first resumes it.
struct SleepState {
    MainQueue* queue = nullptr;
    std::coroutine_handle<> sleeper;
    TimerHandle timer;
    std::atomic<bool> resumed{false};
    bool cancelled = false;

    void wakeOnTime() {
        if (!resumed.exchange(true)) sleeper.resume();
    }
    void wakeCancelled() {
        if (resumed.exchange(true)) return;
        cancelled = true;
        timer.cancel();
        queue->post([sleeper = sleeper] { sleeper.resume(); });
    }
};

struct SleepCanceller {
    std::shared_ptr<SleepState> state;
    void operator()() const { state->wakeCancelled(); }
};

}  // namespace detail

// Suspends the running task on its queue for the duration (monotonic clock); throws TaskCancelled
// when the task is cancelled before or during the sleep.
class SleepFor {
public:
    explicit SleepFor(Duration duration) : m_duration(duration) {}

    bool await_ready() const noexcept { return false; }
    template <typename Promise>
    void await_suspend(std::coroutine_handle<Promise> sleeping) {
        const PromiseBase& promise = sleeping.promise();
        m_state = std::make_shared<detail::SleepState>();
        m_state->queue = promise.queue;
        m_state->sleeper = sleeping;
        m_state->timer = promise.queue->postAfter(m_duration, [state = m_state] { state->wakeOnTime(); });
        m_onStop.emplace(promise.stopToken, detail::SleepCanceller{m_state});
    }
    void await_resume() {
        m_onStop.reset();
        if (m_state->cancelled) throw TaskCancelled();
    }

private:
    Duration m_duration;
    std::shared_ptr<detail::SleepState> m_state;
    std::optional<std::stop_callback<detail::SleepCanceller>> m_onStop;
};

inline SleepFor sleepFor(Duration duration) { return SleepFor(duration); }

}  // namespace lumadesk
