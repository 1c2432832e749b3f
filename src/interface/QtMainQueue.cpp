#include "interface/QtMainQueue.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <utility>

namespace lumadesk {

QtMainQueue::QtMainQueue(const Clock& clock) : m_clock(clock), m_receiver(std::make_unique<QObject>()) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, m_receiver.get(), [this] { runDueJobs(); });
}

QtMainQueue::~QtMainQueue() {
    close();
    shutDown();
    m_receiver.reset();
}

void QtMainQueue::post(Job job) {
    postAfter(Duration::zero(), std::move(job));
}

TimerHandle QtMainQueue::postAfter(Duration delay, Job job) {
    TimerHandle handle;
    {
        std::lock_guard lock(m_mutex);
        // Once closed the job is refused: it is destroyed with this call, outside the lock, unrun.
        if (m_closed) return handle;
        handle = m_schedule.add(m_clock.monotonicNow() + std::max(delay, Duration::zero()), std::move(job));
        m_wakeup.notify_all();
    }
    requestWake();
    return handle;
}

void QtMainQueue::requestWake() {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed || m_wakeRequested) return;
        m_wakeRequested = true;
    }
    QMetaObject::invokeMethod(
        m_receiver.get(), [this] { runDueJobs(); }, Qt::QueuedConnection);
}

void QtMainQueue::runDueJobs() {
    std::optional<Job> job;
    std::optional<MonotonicInstant> next;
    {
        std::lock_guard lock(m_mutex);
        m_wakeRequested = false;
        job = m_schedule.takeDue(m_clock.monotonicNow());
    }
    // One job per event, so that input and painting are not starved by a job that keeps posting.
    if (job) (*job)();
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
        next = m_schedule.nextDeadline();
    }
    if (!next) {
        m_timer.stop();
        return;
    }
    const auto remaining = *next - m_clock.monotonicNow();
    if (remaining <= Duration::zero()) {
        requestWake();
        return;
    }
    // Rounded up, and checked again when the timer fires: a job never runs before its deadline, even
    // when Qt's timer clock and ours disagree (ours counts through suspend).
    m_timer.start(std::chrono::ceil<std::chrono::milliseconds>(remaining));
}

bool QtMainQueue::pumpOnce() {
    {
        std::lock_guard lock(m_mutex);
        if (m_schedule.size() == 0 && m_external == 0) return false;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return true;
}

bool QtMainQueue::drain(Duration limit) {
    const auto deadline = m_clock.monotonicNow() + limit;
    // Wakes a loop that waits for background work which does not come back.
    QTimer limitTimer;
    limitTimer.setSingleShot(true);
    limitTimer.start(std::chrono::ceil<std::chrono::milliseconds>(std::max(limit, Duration::zero())));
    while (m_clock.monotonicNow() < deadline) {
        if (!pumpOnce()) return true;
    }
    std::lock_guard lock(m_mutex);
    return m_schedule.size() == 0 && m_external == 0;
}

void QtMainQueue::close() {
    JobSchedule dropped;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        std::swap(dropped, m_schedule);
    }
    m_timer.stop();
}

}  // namespace lumadesk
