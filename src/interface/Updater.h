#pragma once

#include <memory>

#include "interface/StandardUpdaterController.h"
#include "interface/UpdateChecker.h"

#include <QObject>
#include <QUrl>

namespace lumadesk {

// Where updates come from; an empty feed means none (updates are the package manager's business).
struct UpdaterOptions {
    QUrl feedURL;
    QString currentVersion;
    // The program fetches https feeds only; tests serve theirs over http on a loopback address.
    UpdateChecker::FeedAddresses acceptedFeeds = UpdateChecker::FeedAddresses::httpsOnly;
};

// What the interface knows of software updates: whether a check can start, and whether a check in the
// background found an update that awaits the user. It wraps the update controller, which it creates
// at once and starts unless the process runs under a test harness, and serves as the delegate of the
// controller's windows.
class Updater : public QObject, private UpdateUserDriverDelegate {
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
    Q_PROPERTY(bool isUpdateAvailable READ isUpdateAvailable NOTIFY isUpdateAvailableChanged)

public:
    // The environment variable that marks a run under a test harness.
    static constexpr const char* testHarnessVariable = "XCTestConfigurationFilePath";

    // Without a feed.
    explicit Updater(QObject* parent = nullptr);
    explicit Updater(UpdaterOptions options, QObject* parent = nullptr);
    ~Updater() override;

    bool isRunningTests() const { return m_isRunningTests; }
    StandardUpdaterController& controller() const { return *m_controller; }

    bool canCheckForUpdates() const { return m_canCheckForUpdates; }
    void setCanCheckForUpdates(bool canCheck);
    bool isUpdateAvailable() const { return m_isUpdateAvailable; }
    void setUpdateAvailable(bool available);

    // The user asked to see the update: the flag goes down first, then the user's check starts.
    void checkForUpdates();

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);
    void isUpdateAvailableChanged(bool available);
    void userCheckRequested();

private:
    bool supportsGentleScheduledUpdateReminders() const override { return true; }
    void standardUserDriverWillHandleShowingUpdate(bool userInitiated) override;
    void standardUserDriverDidReceiveUserAttentionForUpdate() override;
    void standardUserDriverWillFinishUpdateSession() override;

    bool m_isRunningTests;
    bool m_canCheckForUpdates = false;
    bool m_isUpdateAvailable = false;
    std::unique_ptr<StandardUpdaterController> m_controller;
};

}  // namespace lumadesk
