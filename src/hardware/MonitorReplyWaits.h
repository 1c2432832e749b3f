#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/DisplayID.h"
#include "runtime/Clock.h"

namespace lumadesk {

// What is known of one monitor's pace: how long after a request its reply can be read, and whether the
// last read of it failed.
struct ReplyWait {
    Duration wait{0};
    bool lastReadFailed = false;

    friend bool operator==(const ReplyWait&, const ReplyWait&) = default;
};

// Where the learned waits are kept between runs, by hardware ID.
class ReplyWaitStoring {
public:
    virtual ~ReplyWaitStoring() = default;
    ReplyWaitStoring() = default;
    ReplyWaitStoring(const ReplyWaitStoring&) = delete;
    ReplyWaitStoring& operator=(const ReplyWaitStoring&) = delete;

    // The waits kept; none when nothing (readable) is kept.
    virtual std::map<std::string, ReplyWait> load() = 0;
    // Keeps the waits in place of those kept before; a failure leaves the old ones.
    virtual void save(const std::map<std::string, ReplyWait>& waits) = 0;
};

// The wait before reading each monitor's reply, learned from its answers. Every monitor starts at the
// protocol's wait; one that answers later is given longer, up to `longestWait`, and what it needed is
// kept by its hardware ID across runs, so a slow monitor is read at its own pace from the first request
// of the next run while fast monitors keep the protocol's. A monitor seen to say "not ready yet" (the
// null message) is asked one step sooner than its learned wait now and then, so that its wait comes
// back down when it answers faster again. Displays not yet matched to a hardware ID are learned for the
// run only. Safe to use from any thread: reads and writes run on different threads.
class MonitorReplyWaits {
public:
    // The protocol's wait between a request and the read of its reply.
    static constexpr Duration protocolWait = std::chrono::milliseconds(50);
    // The longest wait given to any monitor.
    static constexpr Duration longestWait = std::chrono::milliseconds(200);
    // How much longer a reply that is not ready is waited for before it is read again.
    static constexpr Duration pollStep = std::chrono::milliseconds(10);

    // No store: the waits are learned for the run only.
    explicit MonitorReplyWaits(std::unique_ptr<ReplyWaitStoring> store = nullptr);
    MonitorReplyWaits(const MonitorReplyWaits&) = delete;
    MonitorReplyWaits& operator=(const MonitorReplyWaits&) = delete;

    // The hardware ID of each online display, as the latest listing gave them.
    void assign(const std::map<DisplayID, std::string>& hardwareIDs);

    // The wait before the first read of a reply from the display.
    Duration firstWait(DisplayID displayID);
    // The wait after one that ended in a missing or short reply: one step longer, up to the longest.
    static Duration lengthened(Duration wait);
    // A read of the display succeeded after the reply was waited for this long; `polled`: the monitor
    // said "not ready" before it.
    void readSucceeded(DisplayID displayID, Duration waited, bool polled);
    // Every attempt of a read of the display failed.
    void readFailed(DisplayID displayID);

    // What is known of each online display's monitor, by hardware ID.
    std::map<std::string, ReplyWait> onlineWaits() const;

private:
    struct Known {
        ReplyWait wait{protocolWait, false};
        bool answersNotReady = false;  // seen sending the null message this run
    };

    // The monitor's record: by its hardware ID, or by the display ID until it has one.
    Known& record(DisplayID displayID);
    void saveLocked();

    std::unique_ptr<ReplyWaitStoring> m_store;
    mutable std::mutex m_mutex;
    std::map<DisplayID, std::string> m_hardwareIDs;  // guarded by m_mutex
    std::map<std::string, Known> m_known;            // guarded by m_mutex
    std::map<DisplayID, Known> m_unassigned;         // guarded by m_mutex
};

}  // namespace lumadesk
