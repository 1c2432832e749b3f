#include "runtime/Spawn.h"

namespace lumadesk {

void detail::DetachedTaskState::finish(std::exception_ptr failure) {
    done = true;
    error = std::move(failure);
    for (auto waiter : std::exchange(waiters, {})) queue->post([waiter] { waiter.resume(); });
}

namespace {

detail::DetachedRoot runDetached(Task<void> task, std::shared_ptr<detail::DetachedTaskState> state) {
    std::exception_ptr failure;
    try {
        co_await std::move(task);
    } catch (...) {
        failure = std::current_exception();
    }
    state->finish(std::move(failure));
}

}  // namespace

TaskHandle spawn(MainQueue& queue, Task<void> task) {
    auto state = std::make_shared<detail::DetachedTaskState>();
    state->queue = &queue;
    auto root = runDetached(std::move(task), state).handle;
    root.promise().queue = &queue;
    root.promise().stopToken = state->stopSource.get_token();
    queue.adoptDetached(root);
    queue.post([root] { root.resume(); });
    return TaskHandle(std::move(state));
}

}  // namespace lumadesk
