#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"
#include "runtime/Observable.h"
#include "schedule/ScheduleTimeline.h"
#include "schedule/WakeSignaling.h"

namespace lumadesk {

// Moves the displays' brightness along the user's schedule. Between entries it sleeps on one timer set
// for the next entry; during a transition it writes at most one step per display every stepInterval,
// through the manager's brightness operation (and so through the write scheduler and each display's
// range). A level the user sets meanwhile pauses the schedule until its next entry.
class ScheduleRunner {
public:
    static constexpr Duration stepInterval = std::chrono::seconds(5);

    // Everything held must outlive the runner.
    struct Dependencies {
        DisplayManager& manager;
        MainQueue& queue;
        const LocalTimeZone& timeZone;
        WakeSignaling& wakeSignals;
    };

    ScheduleRunner(Dependencies dependencies, ScheduleSettings settings);
    ScheduleRunner(const ScheduleRunner&) = delete;
    ScheduleRunner& operator=(const ScheduleRunner&) = delete;
    ~ScheduleRunner();

    // Applies the level due now (when the settings ask for it) and waits for the next entry; before the
    // manager's first refresh has finished, once it has.
    void start();
    // Takes new settings; what is due is applied from the next entry on.
    void setSettings(ScheduleSettings settings);
    const ScheduleSettings& settings() const { return m_settings; }

    // Stops the schedule for the duration; then the level due is applied.
    void pauseFor(Duration duration);
    // Stops the schedule until the next local midnight.
    void pauseUntilTomorrow();
    // Ends a pause and applies the level due now.
    void resume();
    // Until when the schedule is paused; none while it runs.
    const std::optional<WallInstant>& pausedUntil() const { return m_pausedUntil.get(); }
    [[nodiscard]] Subscription subscribeToPausedUntil(Signal<std::optional<WallInstant>>::Callback callback) {
        return m_pausedUntil.subscribe(std::move(callback));
    }
    // The next entry to come, if any within a week.
    std::optional<ScheduleOccurrence> nextOccurrence() const;

private:
    void tick();
    void applyDueLevels(WallInstant now);
    void waitFrom(WallInstant now);
    void pauseUntil(WallInstant until);
    void noticeDisplays(const std::vector<Display>& displays);
    WallInstant now() const { return m_queue.clock().wallNow(); }

    DisplayManager& m_manager;
    MainQueue& m_queue;
    const LocalTimeZone& m_timeZone;
    ScheduleSettings m_settings;
    ScheduleTimeline m_timeline{m_settings, m_timeZone};
    Observable<std::optional<WallInstant>> m_pausedUntil;
    TimerHandle m_timer;
    // The level last written to each display by the schedule, and the level each display last showed:
    // a change to anything else was made by someone else.
    std::map<std::string, int> m_written;
    std::map<std::string, int> m_shown;
    Subscription m_displaysSubscription;
    Subscription m_wakeSubscription;
    Subscription m_loadedSubscription;
};

}  // namespace lumadesk
