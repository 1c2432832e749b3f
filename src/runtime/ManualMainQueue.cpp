#include "runtime/ManualMainQueue.h"

namespace lumadesk {

ManualMainQueue::~ManualMainQueue() { shutDown(); }

void ManualMainQueue::post(Job job) { postAfter(Duration::zero(), std::move(job)); }

TimerHandle ManualMainQueue::postAfter(Duration delay, Job job) {
    std::lock_guard lock(m_mutex);
    auto handle = m_schedule.add(m_clock.monotonicNow() + std::max(delay, Duration::zero()), std::move(job));
    m_wakeup.notify_all();
    return handle;
}

std::optional<MainQueue::Job> ManualMainQueue::takeDueJob() {
    std::unique_lock lock(m_mutex);
    while (true) {
        if (auto job = m_schedule.takeDue(m_clock.monotonicNow())) return job;
        if (m_external == 0) return std::nullopt;
        m_wakeup.wait(lock);
    }
}

bool ManualMainQueue::pumpOnce() {
    if (auto job = takeDueJob()) {
        (*job)();
        return true;
    }
    std::lock_guard lock(m_mutex);
    auto next = m_schedule.nextDeadline();
    if (!next) return false;
    m_clock.advanceTo(*next);
    return true;
}

void ManualMainQueue::runUntilIdle() {
    while (auto job = takeDueJob()) (*job)();
}

void ManualMainQueue::advanceBy(Duration duration) {
    const auto target = m_clock.monotonicNow() + duration;
    while (true) {
        runUntilIdle();
        std::optional<MonotonicInstant> next;
        {
            std::lock_guard lock(m_mutex);
            next = m_schedule.nextDeadline();
        }
        if (!next || *next > target) break;
        m_clock.advanceTo(*next);
    }
    m_clock.advanceTo(target);
    runUntilIdle();
}

std::size_t ManualMainQueue::pendingJobCount() {
    std::lock_guard lock(m_mutex);
    return m_schedule.size();
}

}  // namespace lumadesk
