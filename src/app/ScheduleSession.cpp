#include "app/ScheduleSession.h"

#include <algorithm>

namespace lumadesk {

ScheduleSession::ScheduleSession(DisplayManager& manager, UserDefaults& defaults, MainQueue& queue,
                                 QDBusConnection systemBus)
    : m_wakeSignals(std::move(systemBus)),
      m_store(defaults),
      m_runner({.manager = manager, .queue = queue, .timeZone = m_timeZone, .wakeSignals = m_wakeSignals},
               m_store.load()) {
    m_settingsChanges =
        defaults.observe(ScheduleStore::storageKey, [this] { m_runner.setSettings(m_store.load()); });
}

void ScheduleSession::addPauseMenu(QMenu& menu) {
    m_pauseMenu = std::make_unique<QMenu>(QStringLiteral("Pause Schedule"));
    m_pauseMenu->addAction(QStringLiteral("For an Hour"),
                           [this] { m_runner.pauseFor(std::chrono::hours(1)); });
    m_pauseMenu->addAction(QStringLiteral("Until Tomorrow"), [this] { m_runner.pauseUntilTomorrow(); });
    m_pauseMenu->addSeparator();
    QAction* resume =
        m_pauseMenu->addAction(QStringLiteral("Resume Schedule"), [this] { m_runner.resume(); });
    // Resuming is offered only while paused; the menu is read as it opens.
    QObject::connect(m_pauseMenu.get(), &QMenu::aboutToShow, resume,
                     [this, resume] { resume->setEnabled(m_runner.pausedUntil().has_value()); });
    const auto actions = menu.actions();
    const auto settings = std::ranges::find(actions, QStringLiteral("Settings…"), &QAction::text);
    menu.insertMenu(settings == actions.end() ? nullptr : *settings, m_pauseMenu.get());
}

}  // namespace lumadesk
