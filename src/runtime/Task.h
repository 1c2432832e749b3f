#pragma once

#include <coroutine>
#include <exception>
#include <stdexcept>
#include <stop_token>
#include <utility>
#include <variant>

#include "runtime/MainQueue.h"

namespace lumadesk {

// Thrown into a task whose sleep or check was interrupted by cancellation.
class TaskCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "The task was cancelled."; }
};

// What every coroutine of the runtime carries: the queue it resumes on, its cancellation, and whom to
// resume when it ends. Child tasks inherit the queue and the stop token of the task that awaits them.
struct PromiseBase {
    MainQueue* queue = nullptr;
    std::stop_token stopToken;
    std::coroutine_handle<> continuation;
};

template <typename T>
class Task;

namespace detail {

template <typename T>
class TaskResult {
public:
    void return_value(T value) { m_result.template emplace<1>(std::move(value)); }
    void unhandled_exception() noexcept { m_result.template emplace<2>(std::current_exception()); }
    T take() {
        if (m_result.index() == 2) std::rethrow_exception(std::get<2>(m_result));
        return std::move(std::get<1>(m_result));
    }

private:
    std::variant<std::monostate, T, std::exception_ptr> m_result;
};

template <>
class TaskResult<void> {
public:
    void return_void() noexcept {}
    void unhandled_exception() noexcept { m_error = std::current_exception(); }
    void take() {
        if (m_error) std::rethrow_exception(m_error);
    }

private:
    std::exception_ptr m_error;
};

// Resumes the awaiting coroutine directly (symmetric transfer), so deep chains never grow the stack.
struct FinalAwaiter {
    bool await_ready() const noexcept { return false; }
    template <typename Promise>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> done) noexcept {
        auto continuation = done.promise().continuation;
        return continuation ? continuation : std::noop_coroutine();
    }
    void await_resume() const noexcept {}
};

template <typename T>
struct TaskPromise : PromiseBase, TaskResult<T> {
    Task<T> get_return_object() noexcept;
    std::suspend_always initial_suspend() const noexcept { return {}; }
    FinalAwaiter final_suspend() const noexcept { return {}; }
};

}  // namespace detail

// A lazily started coroutine yielding T. Move-only; destroying it destroys its frame. Awaiting it starts
// it, and its result or exception passes to the awaiter.
template <typename T>
class [[nodiscard]] Task {
public:
    using promise_type = detail::TaskPromise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    Task() = default;
    explicit Task(Handle handle) : m_handle(handle) {}
    Task(Task&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr)),
          m_awaited(std::exchange(other.m_awaited, false)) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            if (m_handle) m_handle.destroy();
            m_handle = std::exchange(other.m_handle, nullptr);
            m_awaited = std::exchange(other.m_awaited, false);
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() {
        if (m_handle) m_handle.destroy();
    }

    class Awaiter {
    public:
        explicit Awaiter(Handle handle) : m_handle(handle) {}
        bool await_ready() const { return m_handle.done(); }
        template <typename Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> awaiting) {
            auto& child = m_handle.promise();
            const PromiseBase& parent = awaiting.promise();
            child.queue = parent.queue;
            child.stopToken = parent.stopToken;
            child.continuation = awaiting;
            return m_handle;
        }
        T await_resume() { return m_handle.promise().take(); }

    private:
        Handle m_handle;
    };

    // Awaiting consumes the task: `co_await makeTask()` or `co_await std::move(task)`. Awaiting through
    // an lvalue or a const reference does not compile, and a moved-from task awaited again throws.
    // (The task keeps its frame until it is destroyed: an awaiter owning it would be a temporary that
    // GCC 12 may destroy twice.)
    Awaiter operator co_await() && {
        if (!m_handle) throw std::logic_error("Awaited an empty task.");
        if (std::exchange(m_awaited, true)) throw std::logic_error("Awaited a task a second time.");
        return Awaiter(m_handle);
    }

private:
    Handle m_handle;
    bool m_awaited = false;
};

template <typename T>
Task<T> detail::TaskPromise<T>::get_return_object() noexcept {
    return Task<T>(std::coroutine_handle<TaskPromise>::from_promise(*this));
}

// Gives the running task its stop token without suspending it.
class CurrentStopToken {
public:
    bool await_ready() const noexcept { return false; }
    template <typename Promise>
    bool await_suspend(std::coroutine_handle<Promise> running) noexcept {
        m_token = running.promise().stopToken;
        return false;
    }
    std::stop_token await_resume() const noexcept { return m_token; }

private:
    std::stop_token m_token;
};

// Throws TaskCancelled when the running task has been asked to stop.
inline Task<void> checkCancellation() {
    const std::stop_token token = co_await CurrentStopToken{};
    if (token.stop_requested()) throw TaskCancelled();
}

}  // namespace lumadesk
