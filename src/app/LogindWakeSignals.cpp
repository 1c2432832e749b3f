#include "app/LogindWakeSignals.h"

namespace lumadesk {

LogindWakeSignals::LogindWakeSignals(QDBusConnection bus) {
    bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                SLOT(prepareForSleep(bool)));
}

Subscription LogindWakeSignals::subscribeToWake(std::function<void()> callback) {
    return m_woke.subscribe([callback = std::move(callback)] { callback(); });
}

void LogindWakeSignals::prepareForSleep(bool goingToSleep) {
    if (!goingToSleep) m_woke.emit();
}

}  // namespace lumadesk
