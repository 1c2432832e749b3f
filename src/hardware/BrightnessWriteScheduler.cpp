#include "hardware/BrightnessWriteScheduler.h"

#include "runtime/Sleep.h"

namespace lumadesk {

BrightnessWriteScheduler::BrightnessWriteScheduler(MainQueue& queue, Duration interval)
    : m_queue(queue), m_interval(interval) {}

Task<void> BrightnessWriteScheduler::write(DisplayID displayID, Operation operation) {
    std::optional<TaskHandle> previous;
    if (auto it = m_pendingWrites.find(displayID); it != m_pendingWrites.end()) previous = it->second.task;
    const auto sequence = ++m_nextSequence;  // wraps around after 2^64 writes
    auto task = spawn(m_queue, runWrite(std::move(previous), displayID, std::move(operation)));
    m_pendingWrites[displayID] = PendingWrite{sequence, task};

    std::exception_ptr failure;
    try {
        co_await task;
    } catch (...) {
        failure = std::current_exception();
    }
    clearPendingWrite(displayID, sequence);
    if (failure) std::rethrow_exception(failure);
}

Task<void> BrightnessWriteScheduler::runWrite(std::optional<TaskHandle> previous, DisplayID displayID,
                                              Operation operation) {
    if (previous) {
        try {
            co_await *previous;
        } catch (...) {
            // The earlier write's caller hears of its failure; this write goes ahead.
        }
    }
    co_await checkCancellation();
    if (auto delay = delayBeforeNextWrite(displayID)) co_await sleepFor(*delay);
    co_await checkCancellation();
    // Recorded before the write runs, so the interval is measured between starts whatever a write costs.
    markWriteStarted(displayID, m_queue.clock().monotonicNow());
    co_await operation();
}

std::optional<Duration> BrightnessWriteScheduler::delayBeforeNextWrite(DisplayID displayID) const {
    auto it = m_lastWriteStartedAt.find(displayID);
    if (it == m_lastWriteStartedAt.end()) return std::nullopt;
    const auto elapsed = m_queue.clock().monotonicNow() - it->second;
    if (elapsed >= m_interval) return std::nullopt;
    return m_interval - elapsed;
}

void BrightnessWriteScheduler::markWriteStarted(DisplayID displayID, MonotonicInstant at) {
    m_lastWriteStartedAt[displayID] = at;
}

void BrightnessWriteScheduler::clearPendingWrite(DisplayID displayID, std::uint64_t sequence) {
    // Only the write that owns the entry may clear it; a newer write's entry stays.
    if (auto it = m_pendingWrites.find(displayID); it != m_pendingWrites.end() && it->second.sequence == sequence)
        m_pendingWrites.erase(it);
}

}  // namespace lumadesk
