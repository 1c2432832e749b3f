#pragma once

#include "runtime/JobSchedule.h"
#include "runtime/MainQueue.h"

namespace lumadesk {

// A main queue on the calling thread in real time, for programs without an event loop of their own.
class BlockingMainQueue final : public MainQueue {
public:
    explicit BlockingMainQueue(const Clock& clock) : m_clock(clock) {}
    ~BlockingMainQueue() override;

    void post(Job job) override;
    TimerHandle postAfter(Duration delay, Job job) override;
    const Clock& clock() const override { return m_clock; }
    // Runs the next job, sleeping until it is due or until another thread posts one.
    bool pumpOnce() override;

private:
    const Clock& m_clock;
    JobSchedule m_schedule;  // guarded by m_mutex
};

}  // namespace lumadesk
