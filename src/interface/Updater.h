#pragma once

#include <QObject>

namespace lumadesk {

// What the interface knows of software updates: whether a check can start, and whether a check in the
// background found an update that awaits the user. No update mechanism is built in yet, so both stay
// false unless one sets them; a user's check is announced through `userCheckRequested` for it to act on.
class Updater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
    Q_PROPERTY(bool isUpdateAvailable READ isUpdateAvailable NOTIFY isUpdateAvailableChanged)

public:
    explicit Updater(QObject* parent = nullptr) : QObject(parent) {}

    bool canCheckForUpdates() const { return m_canCheckForUpdates; }
    void setCanCheckForUpdates(bool canCheck);
    bool isUpdateAvailable() const { return m_isUpdateAvailable; }
    void setUpdateAvailable(bool available);

    // The user asked to see the update: the flag goes down first, then the check is asked for.
    void checkForUpdates();

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);
    void isUpdateAvailableChanged(bool available);
    void userCheckRequested();

private:
    bool m_canCheckForUpdates = false;
    bool m_isUpdateAvailable = false;
};

}  // namespace lumadesk
