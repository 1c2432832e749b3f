#include "schedule/ScheduleRunner.h"

#include <algorithm>

#include "runtime/Spawn.h"

namespace lumadesk {

ScheduleRunner::ScheduleRunner(Dependencies dependencies, ScheduleSettings settings)
    : m_manager(dependencies.manager),
      m_queue(dependencies.queue),
      m_timeZone(dependencies.timeZone),
      m_settings(std::move(settings)) {
    noticeDisplays(m_manager.displays());
    m_displaysSubscription = m_manager.subscribeToDisplays(
        [this](const std::vector<Display>& displays) { noticeDisplays(displays); });
    m_wakeSubscription = dependencies.wakeSignals.subscribeToWake([this] {
        // Timers may have fired late or not at all while asleep: look afresh.
        if (m_settings.applyAtStart) {
            tick();
        } else {
            waitFrom(now());
        }
    });
}

ScheduleRunner::~ScheduleRunner() {
    m_timer.cancel();
}

void ScheduleRunner::start() {
    // The level due needs the displays: before the first refresh there are none.
    if (!m_manager.hasLoaded()) {
        m_loadedSubscription = m_manager.subscribeToHasLoaded([this](bool loaded) {
            if (!loaded) return;
            m_loadedSubscription = {};
            start();
        });
        return;
    }
    if (m_settings.applyAtStart) {
        tick();
    } else {
        waitFrom(now());
    }
}

void ScheduleRunner::setSettings(ScheduleSettings settings) {
    m_settings = std::move(settings);
    waitFrom(now());
}

void ScheduleRunner::pauseFor(Duration duration) {
    pauseUntil(now() + std::chrono::duration_cast<WallInstant::duration>(duration));
}

void ScheduleRunner::pauseUntilTomorrow() {
    const auto today = std::chrono::floor<std::chrono::days>(localTime(m_timeZone, now()));
    pauseUntil(instantOfLocalTime(m_timeZone, today + std::chrono::days(1)));
}

void ScheduleRunner::resume() {
    m_pausedUntil.set(std::nullopt);
    tick();
}

std::optional<ScheduleOccurrence> ScheduleRunner::nextOccurrence() const {
    return m_timeline.nextOccurrence(now());
}

void ScheduleRunner::pauseUntil(WallInstant until) {
    m_pausedUntil.set(until);
    waitFrom(now());
}

void ScheduleRunner::tick() {
    const WallInstant current = now();
    if (pausedUntil() && current < *pausedUntil()) {
        waitFrom(current);
        return;
    }
    m_pausedUntil.set(std::nullopt);
    applyDueLevels(current);
    waitFrom(current);
}

void ScheduleRunner::applyDueLevels(WallInstant now) {
    for (const Display& display : m_manager.displays()) {
        if (!display.drivesBrightness()) continue;
        const std::optional<int> level = m_timeline.levelDue(display.hardwareID, now);
        if (!level || *level == display.brightness) continue;
        m_written[display.hardwareID] = *level;
        spawn(m_queue, m_manager.setBrightness(*level, display.hardwareID));
    }
}

// One timer: to the end of a pause, to the next step of a transition, or to the next entry.
void ScheduleRunner::waitFrom(WallInstant current) {
    m_timer.cancel();
    std::optional<WallInstant> wake;
    if (pausedUntil()) {
        wake = *pausedUntil();
    } else if (m_timeline.isInTransition(current)) {
        wake = current + std::chrono::duration_cast<WallInstant::duration>(stepInterval);
    } else if (const auto next = m_timeline.nextOccurrence(current)) {
        wake = next->at;
    }
    if (!wake) return;
    const Duration delay = std::max(Duration::zero(), std::chrono::duration_cast<Duration>(*wake - current));
    m_timer = m_queue.postAfter(delay, [this] { tick(); });
}

void ScheduleRunner::noticeDisplays(const std::vector<Display>& displays) {
    bool changedByOthers = false;
    for (const Display& display : displays) {
        const auto shown = m_shown.find(display.hardwareID);
        const bool changed = shown != m_shown.end() && shown->second != display.brightness;
        m_shown[display.hardwareID] = display.brightness;
        if (!changed) continue;
        const auto written = m_written.find(display.hardwareID);
        if (written == m_written.end() || written->second != display.brightness) changedByOthers = true;
    }
    if (!changedByOthers || pausedUntil()) return;
    // Until the next entry, the user's level stands.
    if (const auto next = m_timeline.nextOccurrence(now())) pauseUntil(next->at);
}

}  // namespace lumadesk
