#include "interface/QtMainQueue.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <utility>

namespace lumadesk {

struct QtMainQueue::Entry {
    MonotonicInstant deadline;
    Job job;
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
};

QtMainQueue::QtMainQueue(const Clock& clock) : m_clock(clock), m_receiver(std::make_unique<QObject>()) {}

QtMainQueue::~QtMainQueue() {
    shutDown();
    m_receiver.reset();
}

void QtMainQueue::post(Job job) {
    postAfter(Duration::zero(), std::move(job));
}

TimerHandle QtMainQueue::postAfter(Duration delay, Job job) {
    auto entry = std::make_shared<Entry>();
    entry->deadline = m_clock.monotonicNow() + std::max(delay, Duration::zero());
    entry->job = std::move(job);
    TimerHandle handle(entry->cancelled);
    {
        std::lock_guard lock(m_mutex);
        ++m_pending;
    }
    // Jobs due now go straight into the event queue, which keeps them in posting order; later ones wait
    // on a timer that must be started on the GUI thread.
    if (delay <= Duration::zero()) {
        queue(std::move(entry));
    } else {
        QMetaObject::invokeMethod(
            m_receiver.get(), [this, entry] { startTimer(entry); }, Qt::QueuedConnection);
    }
    return handle;
}

void QtMainQueue::queue(std::shared_ptr<Entry> entry) {
    QMetaObject::invokeMethod(
        m_receiver.get(), [this, entry] { finish(*entry); }, Qt::QueuedConnection);
}

void QtMainQueue::startTimer(std::shared_ptr<Entry> entry) {
    const auto remaining = entry->deadline - m_clock.monotonicNow();
    if (remaining <= Duration::zero()) {
        finish(*entry);
        return;
    }
    // Rounded up, and checked again when the timer fires: the job never runs before its deadline, even
    // when Qt's timer clock and ours disagree (ours counts through suspend).
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(remaining);
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, m_receiver.get(),
                       [this, entry] { startTimer(entry); });
}

void QtMainQueue::finish(const Entry& entry) {
    {
        std::lock_guard lock(m_mutex);
        --m_pending;
    }
    if (!entry.cancelled->load()) entry.job();
}

bool QtMainQueue::pumpOnce() {
    {
        std::lock_guard lock(m_mutex);
        if (m_pending == 0 && m_external == 0) return false;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return true;
}

}  // namespace lumadesk
