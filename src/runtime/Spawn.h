#pragma once

#include <memory>
#include <vector>

#include "runtime/Task.h"

namespace lumadesk {

namespace detail {

// What a detached task and the handles to it share. Touched on the main thread only, except the
// stop source, which any thread may trigger.
struct DetachedTaskState {
    MainQueue* queue = nullptr;
    std::stop_source stopSource;
    bool done = false;
    std::exception_ptr error;
    std::vector<std::coroutine_handle<>> waiters;

    void finish(std::exception_ptr failure);
};

// The frame of a detached task: started by a posted job, destroys itself when it ends.
struct DetachedRoot {
    struct promise_type : PromiseBase {
        DetachedRoot get_return_object() noexcept {
            return {std::coroutine_handle<promise_type>::from_promise(*this)};
        }
        std::suspend_always initial_suspend() const noexcept { return {}; }
        std::suspend_never final_suspend() const noexcept { return {}; }
        void return_void() const noexcept {}
        void unhandled_exception() const noexcept { std::terminate(); }
        ~promise_type() {
            if (queue) queue->releaseDetached(std::coroutine_handle<promise_type>::from_promise(*this));
        }
    };
    std::coroutine_handle<promise_type> handle;
};

}  // namespace detail

// A handle to a detached task: cancel it, ask whether it ended, or await its end (its error rethrown).
// Two handles are equal when they refer to the same task.
class TaskHandle {
public:
    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<detail::DetachedTaskState> state) : m_state(std::move(state)) {}

    // Asks the task to stop; it does at its next sleep or cancellation check.
    void cancel() const {
        if (m_state) m_state->stopSource.request_stop();
    }
    bool isDone() const { return m_state && m_state->done; }
    bool isValid() const { return m_state != nullptr; }
    // The exception the task ended with, if it ended with one.
    std::exception_ptr error() const { return m_state ? m_state->error : nullptr; }

    class Awaiter {
    public:
        explicit Awaiter(std::shared_ptr<detail::DetachedTaskState> state) : m_state(std::move(state)) {}
        bool await_ready() const { return m_state->done; }
        void await_suspend(std::coroutine_handle<> awaiting) { m_state->waiters.push_back(awaiting); }
        void await_resume() const {
            if (m_state->error) std::rethrow_exception(m_state->error);
        }

    private:
        std::shared_ptr<detail::DetachedTaskState> m_state;
    };
    Awaiter operator co_await() const { return Awaiter(m_state); }

    friend bool operator==(const TaskHandle&, const TaskHandle&) = default;

private:
    std::shared_ptr<detail::DetachedTaskState> m_state;
};

// Starts the task on the queue as a detached main-thread task (it begins when the queue gets to it).
// Coroutine lambdas passed here must capture nothing: hand them what they need as parameters.
TaskHandle spawn(MainQueue& queue, Task<void> task);

}  // namespace lumadesk
