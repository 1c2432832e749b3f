#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "platform/DisplayID.h"
#include "runtime/MainQueue.h"
#include "runtime/Spawn.h"

namespace lumadesk {

// Keeps the writes to each display one at a time, in call order, with at least `interval` between
// their starts on the monotonic clock. Writes to different displays do not wait for each other; a
// failed write does not hold up the ones queued behind it. Lives on the main queue, whose single
// thread gives it the exclusion it needs.
class BrightnessWriteScheduler {
public:
    using Operation = std::function<Task<void>()>;

    BrightnessWriteScheduler(MainQueue& queue, Duration interval);
    BrightnessWriteScheduler(const BrightnessWriteScheduler&) = delete;
    BrightnessWriteScheduler& operator=(const BrightnessWriteScheduler&) = delete;

    // Runs the operation as the display's next write; completes with that write's own outcome.
    Task<void> write(DisplayID displayID, Operation operation);

    Duration interval() const { return m_interval; }
    // Whether a write to the display is running or queued.
    bool hasPendingWrite(DisplayID displayID) const { return m_pendingWrites.contains(displayID); }

private:
    struct PendingWrite {
        std::uint64_t sequence = 0;
        TaskHandle task;
    };

    Task<void> runWrite(std::optional<TaskHandle> previous, DisplayID displayID, Operation operation);
    std::optional<Duration> delayBeforeNextWrite(DisplayID displayID) const;
    void markWriteStarted(DisplayID displayID, MonotonicInstant at);
    void clearPendingWrite(DisplayID displayID, std::uint64_t sequence);

    MainQueue& m_queue;
    Duration m_interval;
    std::map<DisplayID, MonotonicInstant> m_lastWriteStartedAt;
    std::map<DisplayID, PendingWrite> m_pendingWrites;
    std::uint64_t m_nextSequence = 0;
};

}  // namespace lumadesk
