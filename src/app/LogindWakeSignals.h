#pragma once

#include <QDBusConnection>
#include <QObject>

#include "schedule/WakeSignaling.h"

namespace lumadesk {

// The computer's wake-ups as logind announces them: PrepareForSleep(false) on the system bus.
class LogindWakeSignals final : public QObject, public WakeSignaling {
    Q_OBJECT

public:
    // Listens on the bus (the system bus; a test hands in one of its own). Without logind on it, no
    // wake-up is ever told, and the schedule still follows its timers.
    explicit LogindWakeSignals(QDBusConnection bus);

    Subscription subscribeToWake(std::function<void()> callback) override;

private Q_SLOTS:
    void prepareForSleep(bool goingToSleep);

private:
    Signal<> m_woke;
};

}  // namespace lumadesk
