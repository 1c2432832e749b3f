#pragma once

#include <functional>
#include <ostream>

#include <QDBusConnection>
#include <QObject>

namespace lumadesk {

// One tray program per session. The first start owns the name io.lumadesk.Lumadesk on the session bus
// and answers BringForward on /io/lumadesk/Lumadesk/Tray; a later start asks it to come forward and
// leaves, so a user whose tray icon is switched off gets the running program back by starting it again.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.lumadesk.Tray1")

public:
    static constexpr const char* serviceName = "io.lumadesk.Lumadesk";
    static constexpr const char* objectPath = "/io/lumadesk/Lumadesk/Tray";
    static constexpr const char* interfaceName = "io.lumadesk.Tray1";

    enum class Claim {
        first,           // this process runs the tray
        broughtForward,  // another one runs and came forward; this one should leave
        unanswered,      // another one holds the name but did not answer
        withoutBus,      // no session bus: nothing can tell whether another one runs
    };

    explicit SingleInstance(QDBusConnection bus);
    ~SingleInstance() override;

    // Takes the name, or asks its owner to come forward. Says on `err` what the caller should know.
    Claim claim(std::ostream& err);
    // What BringForward does; a request that came before it was set is answered when it is.
    void onBringForward(std::function<void()> bringForward);
    // Gives the name up (at quit, so that a new start does not reach a program on its way out).
    void release();

public Q_SLOTS:
    Q_SCRIPTABLE void BringForward();

private:
    QDBusConnection m_bus;
    bool m_owned = false;
    bool m_pending = false;
    std::function<void()> m_bringForward;
};

}  // namespace lumadesk
