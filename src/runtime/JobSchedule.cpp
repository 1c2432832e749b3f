#include "runtime/JobSchedule.h"

#include <algorithm>

namespace lumadesk {

TimerHandle JobSchedule::add(MonotonicInstant deadline, MainQueue::Job job) {
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    m_entries.emplace(std::pair{deadline, m_nextSequence++}, Entry{std::move(job), cancelled});
    return TimerHandle(std::move(cancelled));
}

std::optional<MainQueue::Job> JobSchedule::takeDue(MonotonicInstant now) {
    dropCancelledHead();
    if (m_entries.empty() || m_entries.begin()->first.first > now) return std::nullopt;
    auto job = std::move(m_entries.begin()->second.job);
    m_entries.erase(m_entries.begin());
    return job;
}

std::optional<MonotonicInstant> JobSchedule::nextDeadline() {
    dropCancelledHead();
    if (m_entries.empty()) return std::nullopt;
    return m_entries.begin()->first.first;
}

std::size_t JobSchedule::size() const {
    return static_cast<std::size_t>(std::count_if(m_entries.begin(), m_entries.end(),
                                                  [](const auto& entry) { return !entry.second.cancelled->load(); }));
}

void JobSchedule::dropCancelledHead() {
    while (!m_entries.empty() && m_entries.begin()->second.cancelled->load()) m_entries.erase(m_entries.begin());
}

}  // namespace lumadesk
