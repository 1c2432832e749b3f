#include "interface/StandardUpdaterController.h"

#include "interface/UpdateDialog.h"

#include <utility>

namespace lumadesk {

StandardUpdaterController::StandardUpdaterController(bool startingUpdater, QUrl feedURL,
                                                     QString currentVersion,
                                                     UpdateUserDriverDelegate& delegate, QObject* parent,
                                                     UpdateChecker::FeedAddresses acceptedFeeds)
    : QObject(parent), m_delegate(delegate), m_started(startingUpdater) {
    if (feedURL.isValid() && !feedURL.isEmpty()) {
        m_checker = std::make_unique<UpdateChecker>(std::move(feedURL), std::move(currentVersion),
                                                    UpdateChecker::timeLimit, nullptr, acceptedFeeds);
        connect(m_checker.get(), &UpdateChecker::finished, this, &StandardUpdaterController::finished);
        connect(m_checker.get(), &UpdateChecker::isCheckingChanged, this,
                [this] { Q_EMIT canCheckForUpdatesChanged(canCheckForUpdates()); });
    }
    m_schedule.setSingleShot(true);
    connect(&m_schedule, &QTimer::timeout, this, [this] {
        m_schedule.start(scheduledCheckInterval);
        checkForUpdatesInBackground();
    });
    if (m_started && m_checker) m_schedule.start(firstScheduledCheck);
}

StandardUpdaterController::~StandardUpdaterController() = default;

bool StandardUpdaterController::canCheckForUpdates() const {
    return m_checker && !m_checker->isChecking();
}

void StandardUpdaterController::checkForUpdates() {
    if (!canCheckForUpdates()) return;
    m_userInitiated = true;
    m_checker->check();
}

void StandardUpdaterController::checkForUpdatesInBackground() {
    if (!canCheckForUpdates()) return;
    m_userInitiated = false;
    m_checker->check();
}

void StandardUpdaterController::finished(const UpdateOutcome& outcome) {
    if (m_userInitiated) {
        if (outcome.kind == UpdateOutcome::Kind::updateFound)
            m_delegate.standardUserDriverWillHandleShowingUpdate(true);
        showDialog(outcome);
        return;
    }
    // A scheduled check speaks only of an update, and gently: the tray icon and the popover show it.
    if (outcome.kind == UpdateOutcome::Kind::updateFound &&
        m_delegate.supportsGentleScheduledUpdateReminders())
        m_delegate.standardUserDriverWillHandleShowingUpdate(false);
}

void StandardUpdaterController::showDialog(const UpdateOutcome& outcome) {
    m_dialog = std::make_unique<UpdateDialog>(outcome);
    // The window goes after the handler that closed it has returned.
    connect(m_dialog.get(), &QDialog::finished, this, [this] {
        m_dialog.release()->deleteLater();
        m_delegate.standardUserDriverWillFinishUpdateSession();
    });
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    m_delegate.standardUserDriverDidReceiveUserAttentionForUpdate();
}

}  // namespace lumadesk
