#include "interface/Updater.h"

namespace lumadesk {

void Updater::setCanCheckForUpdates(bool canCheck) {
    if (canCheck == m_canCheckForUpdates) return;
    m_canCheckForUpdates = canCheck;
    Q_EMIT canCheckForUpdatesChanged(canCheck);
}

void Updater::setUpdateAvailable(bool available) {
    if (available == m_isUpdateAvailable) return;
    m_isUpdateAvailable = available;
    Q_EMIT isUpdateAvailableChanged(available);
}

void Updater::checkForUpdates() {
    setUpdateAvailable(false);
    Q_EMIT userCheckRequested();
}

}  // namespace lumadesk
