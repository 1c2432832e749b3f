#pragma once

#include "bus/BusActionArguments.h"
#include "bus/BusDisplayEntity.h"
#include "intents/AppBusNames.h"
#include "intents/DisplayAction.h"
#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>

namespace lumadesk {

// The seven display actions as the interface io.lumadesk.Lumadesk1 of the object it is attached to.
// Each method answers with the action's dialog and its value, or with the error
// io.lumadesk.Lumadesk1.Error.DisplayNotFound or .OperationFailed carrying the action's description.
// The actions run as tasks on the main queue and answer when they end (delayed replies), so a call never
// blocks the event loop. Bad parameters (a level outside 0...100, an unknown state, a name that is too
// long) are refused with org.freedesktop.DBus.Error.InvalidArgs before anything runs.
//
// Desk() names the desk the application runs on (PlatformArguments::deskName), so that a command line
// asked for another desk runs on its own instead.
//
// Attach it to the object the tray program registers at /io/lumadesk/Lumadesk with ExportAdaptors; the
// object may carry other interfaces of the application too. The queue and the manager must outlive the
// tasks, which the tray program ensures by draining the queue before the stack goes.
class DisplayActionsAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.lumadesk.Lumadesk1")

public:
    DisplayActionsAdaptor(QObject* host, QDBusConnection connection, MainQueue& queue,
                          DisplayManager& manager, QString desk);

    // Sends the answer to a call on the adaptor's connection.
    void send(const QDBusMessage& reply);
    // From now on every call is refused with OperationFailed before anything runs (the program is
    // quitting); calls already taken still get their answers.
    void refuseNewCalls() { m_refusingCalls = true; }

public Q_SLOTS:
    // An empty display stands for every display where the action allows it (GetDisplayInfo).
    QString GetBrightness(const QString& display, const QDBusMessage& message, int& level);
    QString SetBrightness(const QString& display, int level, const QDBusMessage& message);
    QString ToggleConnection(const QString& display, const QString& state, const QDBusMessage& message);
    QString GetConnectedDisplays(const QDBusMessage& message, QList<lumadesk::DisplayEntity>& displays);
    QString GetDisplayInfo(const QString& display, const QDBusMessage& message, QString& info);
    QString SetDisplayName(const QString& display, const QString& name, const QDBusMessage& message);
    QString SleepDisplay(const QString& display, const QDBusMessage& message);
    // display "all": every display the brightness keys drive; level is then their mean.
    QString StepBrightness(const QString& display, int step, const QDBusMessage& message, int& level);
    // Every visible display, as pickers offer them.
    QList<lumadesk::DisplayEntity> Displays(const QDBusMessage& message);
    QString Desk() const { return m_desk; }

private:
    void start(BusActionArguments arguments, const QDBusMessage& message);
    // Refuses the call when no more are taken; true when it did.
    bool refused(const QDBusMessage& message);

    QDBusConnection m_connection;
    MainQueue& m_queue;
    DisplayManager& m_manager;
    QString m_desk;
    bool m_refusingCalls = false;
};

// Registers the host object at /io/lumadesk/Lumadesk with its adaptors and takes the name
// io.lumadesk.Lumadesk; false, with the bus's reason in `problem`, when either fails (no session bus,
// or another instance holds the name).
bool publishOnSessionBus(QDBusConnection connection, QObject& host, QString& problem);

}  // namespace lumadesk
