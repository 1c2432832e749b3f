#include "interface/Updater.h"

#include <utility>

namespace lumadesk {

Updater::Updater(QObject* parent) : Updater(UpdaterOptions{}, parent) {}

Updater::Updater(UpdaterOptions options, QObject* parent)
    : QObject(parent), m_isRunningTests(qEnvironmentVariableIsSet(testHarnessVariable)) {
    m_controller = std::make_unique<StandardUpdaterController>(
        !m_isRunningTests, std::move(options.feedURL), std::move(options.currentVersion),
        static_cast<UpdateUserDriverDelegate&>(*this), nullptr, options.acceptedFeeds);
    setCanCheckForUpdates(m_controller->canCheckForUpdates());
    connect(m_controller.get(), &StandardUpdaterController::canCheckForUpdatesChanged, this,
            &Updater::setCanCheckForUpdates);
}

Updater::~Updater() = default;

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
    m_controller->checkForUpdates();
}

void Updater::standardUserDriverWillHandleShowingUpdate(bool userInitiated) {
    if (!userInitiated) setUpdateAvailable(true);
}

void Updater::standardUserDriverDidReceiveUserAttentionForUpdate() {
    setUpdateAvailable(false);
}

void Updater::standardUserDriverWillFinishUpdateSession() {
    setUpdateAvailable(false);
}

}  // namespace lumadesk
