#pragma once

#include "registry/DisplayManager.h"
#include "runtime/Signal.h"

#include <QObject>

namespace lumadesk {

// The manager's observable state as Qt signals, for widgets to connect to. Each signal follows a real
// change of its value; the new value is read from the manager.
class DisplayManagerSignals : public QObject {
    Q_OBJECT

public:
    explicit DisplayManagerSignals(DisplayManager& manager, QObject* parent = nullptr);

Q_SIGNALS:
    void displaysChanged();
    void disconnectedDisplayIDsChanged();
    void hasLoadedChanged();
    void lastErrorMessageChanged();

private:
    Subscription m_displays;
    Subscription m_disconnectedDisplayIDs;
    Subscription m_hasLoaded;
    Subscription m_lastErrorMessage;
};

}  // namespace lumadesk
