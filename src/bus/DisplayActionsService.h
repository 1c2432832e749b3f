#pragma once

#include <memory>
#include <optional>
#include <string>

#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"

#include <QDBusConnection>
#include <QObject>

namespace lumadesk {

// The tray program's object on the session bus: /io/lumadesk/Lumadesk under the name
// io.lumadesk.Lumadesk, carrying the display actions. Published while it lives; where the bus cannot be
// reached or another instance holds the name, the program runs on without it and problem() says why.
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

private:
    QDBusConnection m_connection;
    std::unique_ptr<QObject> m_host;
    std::optional<std::string> m_problem;
};

}  // namespace lumadesk
