#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QDBusConnection>
#include <QMenu>

#include "app/LogindWakeSignals.h"
#include "app/QtLocalTimeZone.h"
#include "schedule/ScheduleRunner.h"
#include "schedule/ScheduleStore.h"

namespace lumadesk {

// The brightness schedule as the tray program runs it: the stored settings (followed as the settings
// window changes them), the system's time zone, logind's wake-ups, and the tray menu's "Pause Schedule".
class ScheduleSession {
public:
    // Everything held must outlive the session.
    ScheduleSession(DisplayManager& manager, UserDefaults& defaults, MainQueue& queue,
                    QDBusConnection systemBus);
    ScheduleSession(const ScheduleSession&) = delete;
    ScheduleSession& operator=(const ScheduleSession&) = delete;

    ScheduleRunner& runner() { return m_runner; }
    // Why the stored schedule could not be read, if it could not.
    const std::optional<std::string>& problem() const { return m_store.lastProblem(); }
    // Adds "Pause Schedule" (for an hour, until tomorrow, resume) to the tray menu, before "Settings…".
    void addPauseMenu(QMenu& menu);

private:
    QtLocalTimeZone m_timeZone;
    LogindWakeSignals m_wakeSignals;
    ScheduleStore m_store;
    ScheduleRunner m_runner;
    Subscription m_settingsChanges;
    std::unique_ptr<QMenu> m_pauseMenu;
};

}  // namespace lumadesk
