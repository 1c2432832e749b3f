#pragma once

#include <memory>

#include "runtime/JobSchedule.h"
#include "runtime/MainQueue.h"

#include <QObject>
#include <QTimer>

namespace lumadesk {

// The main queue on Qt's event loop. Jobs wait in one schedule ordered by deadline, first in first out
// on equal deadlines (as in every main queue); a queued event runs the due ones and a precise timer
// wakes the loop for the next deadline. Create it on the GUI thread once the application object
// exists; `post` and `postAfter` may then be called from any thread.
class QtMainQueue final : public MainQueue {
public:
    explicit QtMainQueue(const Clock& clock);
    ~QtMainQueue() override;

    void post(Job job) override;
    TimerHandle postAfter(Duration delay, Job job) override;
    const Clock& clock() const override { return m_clock; }
    // Processes events, waiting for one when none is ready; false when no job is queued (cancelled ones
    // do not count) and no background work will post one.
    bool pumpOnce() override;

    // Runs queued jobs until none is left and no background work is outstanding, for at most `limit`;
    // false when work was still outstanding then.
    bool drain(Duration limit);
    // Closes the queue: queued jobs are destroyed without running, and so is every job posted later,
    // so that nothing runs against objects being torn down.
    void close();

private:
    // Asks the loop to run the due jobs and set the timer again (once until it has).
    void requestWake();
    void runDueJobs();

    const Clock& m_clock;
    std::unique_ptr<QObject> m_receiver;  // jobs queued for it are dropped when it goes
    QTimer m_timer;                       // wakes the loop at the next deadline
    JobSchedule m_schedule;               // guarded by m_mutex
    bool m_wakeRequested = false;         // guarded by m_mutex
    bool m_closed = false;                // guarded by m_mutex
};

}  // namespace lumadesk
