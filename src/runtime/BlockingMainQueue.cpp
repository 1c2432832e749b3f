#include "runtime/BlockingMainQueue.h"

namespace lumadesk {

BlockingMainQueue::~BlockingMainQueue() { shutDown(); }

void BlockingMainQueue::post(Job job) { postAfter(Duration::zero(), std::move(job)); }

TimerHandle BlockingMainQueue::postAfter(Duration delay, Job job) {
    std::lock_guard lock(m_mutex);
    auto handle = m_schedule.add(m_clock.monotonicNow() + std::max(delay, Duration::zero()), std::move(job));
    m_wakeup.notify_all();
    return handle;
}

bool BlockingMainQueue::pumpOnce() {
    std::unique_lock lock(m_mutex);
    while (true) {
        if (auto job = m_schedule.takeDue(m_clock.monotonicNow())) {
            lock.unlock();
            (*job)();
            return true;
        }
        auto next = m_schedule.nextDeadline();
        if (!next && m_external == 0) return false;
        if (next) {
            m_wakeup.wait_for(lock, *next - m_clock.monotonicNow());
        } else {
            m_wakeup.wait(lock);
        }
    }
}

}  // namespace lumadesk
