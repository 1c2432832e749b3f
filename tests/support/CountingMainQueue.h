#pragma once

#include "runtime/MainQueue.h"

namespace lumadesk {

// Passes every job on to another queue and counts the timers set through it: with nothing else
// running, each one is a wake-up of whoever sets them.
class CountingMainQueue final : public MainQueue {
public:
    explicit CountingMainQueue(MainQueue& inner) : m_inner(inner) {}
    ~CountingMainQueue() override { shutDown(); }

    void post(Job job) override { m_inner.post(std::move(job)); }
    TimerHandle postAfter(Duration delay, Job job) override {
        ++timersSet;
        return m_inner.postAfter(delay, std::move(job));
    }
    const Clock& clock() const override { return m_inner.clock(); }
    bool pumpOnce() override { return m_inner.pumpOnce(); }

    int timersSet = 0;

private:
    MainQueue& m_inner;
};

}  // namespace lumadesk
