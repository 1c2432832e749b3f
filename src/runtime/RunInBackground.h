#pragma once

#include <exception>
#include <memory>
#include <optional>
#include <type_traits>

#include "runtime/BackgroundPool.h"
#include "runtime/Task.h"

namespace lumadesk {

// Runs blocking work on the pool and resumes the awaiting task on its main queue with the result,
// or with the exception the work threw.
template <typename Work>
class RunInBackground {
public:
    using Result = std::invoke_result_t<Work&>;

    RunInBackground(BackgroundPool& pool, Work work) : m_pool(pool), m_work(std::move(work)) {}

    bool await_ready() const noexcept { return false; }
    template <typename Promise>
    void await_suspend(std::coroutine_handle<Promise> awaiting) {
        MainQueue* queue = static_cast<const PromiseBase&>(awaiting.promise()).queue;
        // Keeps the queue's pumping waiting for this work; released only after the result is posted.
        auto pending = std::make_shared<MainQueue::ExternalWork>(*queue);
        m_pool.submit([this, awaiting, queue, pending]() mutable {
            try {
                if constexpr (std::is_void_v<Result>) {
                    m_work();
                } else {
                    m_result.emplace(m_work());
                }
            } catch (...) {
                m_error = std::current_exception();
            }
            queue->post([awaiting] { awaiting.resume(); });
            pending.reset();
        });
    }
    Result await_resume() {
        if (m_error) std::rethrow_exception(m_error);
        if constexpr (!std::is_void_v<Result>) return std::move(*m_result);
    }

private:
    struct Nothing {};
    using Stored = std::conditional_t<std::is_void_v<Result>, Nothing, Result>;

    BackgroundPool& m_pool;
    Work m_work;
    std::optional<Stored> m_result;
    std::exception_ptr m_error;
};

template <typename Work>
RunInBackground<Work> runInBackground(BackgroundPool& pool, Work work) {
    return RunInBackground<Work>(pool, std::move(work));
}

}  // namespace lumadesk
