#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "runtime/MainQueue.h"

namespace lumadesk {

// The jobs of a queue ordered by deadline, first in first out on equal deadlines. Not thread-safe:
// the owning queue guards it.
class JobSchedule {
public:
    // Adds a job due at the deadline; the returned handle cancels it.
    TimerHandle add(MonotonicInstant deadline, MainQueue::Job job);
    // Removes and returns the earliest job due at or before `now`, skipping cancelled ones.
    std::optional<MainQueue::Job> takeDue(MonotonicInstant now);
    // The earliest deadline of a job that is not cancelled.
    std::optional<MonotonicInstant> nextDeadline();
    // The number of jobs that are not cancelled.
    std::size_t size() const;

private:
    struct Entry {
        MainQueue::Job job;
        std::shared_ptr<std::atomic<bool>> cancelled;
    };
    void dropCancelledHead();

    std::map<std::pair<MonotonicInstant, std::uint64_t>, Entry> m_entries;
    std::uint64_t m_nextSequence = 0;
};

}  // namespace lumadesk
