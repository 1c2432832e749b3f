#pragma once

#include "runtime/JobSchedule.h"
#include "runtime/MainQueue.h"
#include "runtime/VirtualClock.h"

namespace lumadesk {

// A main queue for tests: jobs run only when the test pumps it, and time moves only when the test
// advances the virtual clock.
class ManualMainQueue final : public MainQueue {
public:
    explicit ManualMainQueue(VirtualClock& clock) : m_clock(clock) {}
    ~ManualMainQueue() override;

    void post(Job job) override;
    TimerHandle postAfter(Duration delay, Job job) override;
    const Clock& clock() const override { return m_clock; }
    // Runs one due job, waits for outstanding background work, or jumps the clock to the next deadline.
    bool pumpOnce() override;

    // Runs every job that is due now, including those they post, waiting for background work that
    // will post back.
    void runUntilIdle();
    // Moves the clock forward by the duration, running each job at its deadline.
    void advanceBy(Duration duration);
    // The number of queued jobs, due or not.
    std::size_t pendingJobCount();

private:
    std::optional<Job> takeDueJob();

    VirtualClock& m_clock;
    JobSchedule m_schedule;  // guarded by m_mutex
};

}  // namespace lumadesk
