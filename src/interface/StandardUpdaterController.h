#pragma once

#include <memory>

#include "interface/UpdateChecker.h"

#include <QObject>
#include <QTimer>

namespace lumadesk {

class UpdateDialog;

// What the controller's user driver tells its delegate about the windows it shows.
class UpdateUserDriverDelegate {
public:
    virtual ~UpdateUserDriverDelegate() = default;
    UpdateUserDriverDelegate() = default;
    UpdateUserDriverDelegate(const UpdateUserDriverDelegate&) = delete;
    UpdateUserDriverDelegate& operator=(const UpdateUserDriverDelegate&) = delete;

    // Whether an update found by a scheduled check may wait quietly for the user instead of a window.
    virtual bool supportsGentleScheduledUpdateReminders() const = 0;
    // An update is about to be shown, found by the user's check or by a scheduled one.
    virtual void standardUserDriverWillHandleShowingUpdate(bool userInitiated) = 0;
    // The user's attention went to the update (its window came up).
    virtual void standardUserDriverDidReceiveUserAttentionForUpdate() = 0;
    // The update's window closed; the session is over.
    virtual void standardUserDriverWillFinishUpdateSession() = 0;
};

// The update controller: checks the feed the user asks for and, once started, one minute after start
// and then every day in the background. The user's checks show their outcome in a small window; the
// scheduled ones say nothing unless they find an update, which they hand to the delegate to show
// gently. Installing is left to the package manager. Without a feed nothing can be checked.
class StandardUpdaterController : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::seconds firstScheduledCheck{60};
    static constexpr std::chrono::hours scheduledCheckInterval{24};

    // `delegate` must outlive the controller. With `startingUpdater` false the schedule never runs.
    StandardUpdaterController(
        bool startingUpdater, QUrl feedURL, QString currentVersion, UpdateUserDriverDelegate& delegate,
        QObject* parent = nullptr,
        UpdateChecker::FeedAddresses acceptedFeeds = UpdateChecker::FeedAddresses::httpsOnly);
    ~StandardUpdaterController() override;

    bool isStarted() const { return m_started; }
    // A feed is set and no check runs.
    bool canCheckForUpdates() const;
    // The user's check; its outcome is shown whatever it is.
    void checkForUpdates();
    // The check the schedule makes.
    void checkForUpdatesInBackground();
    // The window showing the user's last outcome, while open.
    UpdateDialog* dialog() const { return m_dialog.get(); }
    const QTimer& scheduleTimer() const { return m_schedule; }

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);

private:
    void finished(const UpdateOutcome& outcome);
    void showDialog(const UpdateOutcome& outcome);

    UpdateUserDriverDelegate& m_delegate;
    bool m_started;
    bool m_userInitiated = false;
    std::unique_ptr<UpdateChecker> m_checker;  // none without a feed
    QTimer m_schedule;
    std::unique_ptr<UpdateDialog> m_dialog;
};

}  // namespace lumadesk
