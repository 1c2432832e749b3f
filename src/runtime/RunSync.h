#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>

#include "runtime/Spawn.h"

namespace lumadesk {

namespace detail {

template <typename T>
struct SyncResult {
    std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> value;
};

template <typename T>
Task<void> storeResult(Task<T> task, std::shared_ptr<SyncResult<T>> result) {
    if constexpr (std::is_void_v<T>) {
        co_await std::move(task);
        result->value.emplace(true);
    } else {
        result->value.emplace(co_await std::move(task));
    }
}

}  // namespace detail

// Runs the task on the queue and pumps the queue until it ends; the only way for plain code (tests,
// the command line) to wait for a task. Never a blocking wait on the queue's own thread.
template <typename T>
T runSync(MainQueue& queue, Task<T> task) {
    auto result = std::make_shared<detail::SyncResult<T>>();
    auto handle = spawn(queue, detail::storeResult(std::move(task), result));
    while (!handle.isDone()) {
        if (!queue.pumpOnce()) throw std::logic_error("The task waits for something that can never happen.");
    }
    if (auto error = handle.error()) std::rethrow_exception(error);
    if constexpr (!std::is_void_v<T>) return std::move(*result->value);
}

}  // namespace lumadesk
