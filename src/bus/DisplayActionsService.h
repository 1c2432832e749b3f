#pragma once

#include <memory>
#include <optional>
#include <string>

#include "bus/DisplayActionsAdaptor.h"
#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"

#include <QDBusConnection>
#include <QObject>

namespace lumadesk {

// The tray program's object on the session bus: /io/lumadesk/Lumadesk under the name
// io.lumadesk.Lumadesk, carrying the display actions. Published while it lives; where the bus cannot be
// reached or another instance holds the name, the program runs on without it and problem() says why.
// At quit it first stops taking calls, answers the ones taken, and only then goes from the bus.
class DisplayActionsService {
public:
    // `desk` names the desk the manager runs on (PlatformArguments::deskName).
    DisplayActionsService(QDBusConnection connection, MainQueue& queue, DisplayManager& manager,
                          const std::string& desk);
    DisplayActionsService(const DisplayActionsService&) = delete;
    DisplayActionsService& operator=(const DisplayActionsService&) = delete;
    ~DisplayActionsService();

    // Why the actions are not on the bus; none when they are.
    const std::optional<std::string>& problem() const { return m_problem; }
    // Refuses every later call; those already taken are answered when their actions end.
    void stopTakingCalls() { m_adaptor->refuseNewCalls(); }

private:
    QDBusConnection m_connection;
    std::unique_ptr<QObject> m_host;
    DisplayActionsAdaptor* m_adaptor;  // owned by m_host
    std::optional<std::string> m_problem;
};

}  // namespace lumadesk
