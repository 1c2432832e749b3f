#pragma once

#include <atomic>
#include <condition_variable>
#include <coroutine>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "runtime/Clock.h"

namespace lumadesk {

// Cancels a job posted for later; cancelling after it ran, or twice, does nothing.
class TimerHandle {
public:
    TimerHandle() = default;
    explicit TimerHandle(std::shared_ptr<std::atomic<bool>> cancelled) : m_cancelled(std::move(cancelled)) {}

    void cancel() const {
        if (m_cancelled) m_cancelled->store(true);
    }

private:
    std::shared_ptr<std::atomic<bool>> m_cancelled;
};

// The one thread on which all state lives. Jobs run in posting order; jobs due at the same instant run
// first in, first out. `post` and `postAfter` may be called from any thread.
class MainQueue {
public:
    using Job = std::function<void()>;

    MainQueue() = default;
    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;
    virtual ~MainQueue();

    // Queues the job to run as soon as the main thread gets to it.
    virtual void post(Job job) = 0;
    // Queues the job to run once the delay has passed on the queue's monotonic clock.
    virtual TimerHandle postAfter(Duration delay, Job job) = 0;
    // The clock that deadlines are measured on.
    virtual const Clock& clock() const = 0;
    // Runs what is due, or waits for the next job; false when nothing is queued and nothing can arrive.
    virtual bool pumpOnce() = 0;

    // Marks work on another thread that will post back here; pumping waits for it instead of giving up.
    class ExternalWork {
    public:
        explicit ExternalWork(MainQueue& queue);
        ExternalWork(const ExternalWork&) = delete;
        ExternalWork& operator=(const ExternalWork&) = delete;
        ~ExternalWork();

    private:
        MainQueue& m_queue;
    };

    // Detached tasks started on this queue, destroyed with it if still suspended.
    void adoptDetached(std::coroutine_handle<> root) { m_detached.insert(root.address()); }
    void releaseDetached(std::coroutine_handle<> root) { m_detached.erase(root.address()); }

protected:
    // Called first by a derived destructor: waits for outstanding external work, then destroys
    // suspended detached tasks so that nothing they hold leaks.
    void shutDown();

    // Guards the derived queue's job list and the external-work count; `m_wakeup` is notified on
    // every post and whenever external work ends.
    std::mutex m_mutex;
    std::condition_variable m_wakeup;
    int m_external = 0;  // guarded by m_mutex

private:
    std::unordered_set<void*> m_detached;
};

}  // namespace lumadesk
