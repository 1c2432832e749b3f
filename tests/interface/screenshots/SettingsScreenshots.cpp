// The settings window, the diagnostics sheet, the keyboard-access dialog, the About window and the update
// check's dialog, drawn by the real widgets over the built-in simulated desk and over fakes for the states
// it cannot reach.
#include <chrono>
#include <memory>

#include "assembly/DisplayStack.h"
#include "interface/AboutPage.h"
#include "interface/DiagnosticsView.h"
#include "interface/DisplayRowList.h"
#include "interface/DisplayRowView.h"
#include "interface/DisplaysPage.h"
#include "interface/GeneralPage.h"
#include "interface/KeyboardAccessDialog.h"
#include "interface/RowReorderer.h"
#include "interface/SettingsView.h"
#include "interface/ToggleSwitch.h"
#include "interface/UpdateDialog.h"
#include "interface/Updater.h"
#include "interface/screenshots/Shooter.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunSync.h"
#include "runtime/VirtualSleeper.h"
#include "support/DisplayManagerHarness.h"
#include "support/TemporaryDirectory.h"

#include <QScrollArea>
#include <QTabWidget>
#include <QTest>

namespace lumadesk {

namespace {

// Grants the shots choose.
class ShownPermissions final : public KeyboardPermissionControlling {
public:
    explicit ShownPermissions(KeyboardGrants grants) : m_grants(grants) {}
    KeyboardGrants grants() const override { return m_grants; }
    bool refresh() override { return false; }
    void requestAccess() override {}
    Subscription observe(std::function<void()>) override { return {}; }

private:
    KeyboardGrants m_grants;
};

void shootDefaultDesk(const Shooter& shooter) {
    DefaultDesk desk;
    auto& queue = desk.queue;
    auto& manager = desk.stack->displayManager();
    ShownPermissions permissions({true, false});
    {
        SettingsView settings(manager, queue, desk.stack->defaults(), permissions, {});
        settings.present();
        queue.runUntilIdle();
        shooter.save(settings, QStringLiteral("settings-displays.png"));
        settings.tabs().setCurrentIndex(1);
        shooter.save(settings, QStringLiteral("settings-general.png"));
        settings.generalPage().showDiagnostics();
        shooter.save(*settings.generalPage().diagnostics(), QStringLiteral("diagnostics.png"));
        settings.generalPage().diagnostics()->close();
    }
}

void shootStates(const Shooter& shooter) {
    DisplayManagerHarness desk;
    desk.loginItems.currentStatus = LoginItemStatus::requiresApproval;
    desk.start();
    ShownPermissions permissions({false, false});
    SettingsView settings(*desk.manager, desk.queue, desk.defaults, permissions, {});
    settings.show();
    shooter.save(settings, QStringLiteral("settings-displays-loading.png"));
    desk.queue.runUntilIdle();
    shooter.save(settings, QStringLiteral("settings-displays-empty.png"));

    // A display the window server will not let go, and a remembered one the diagnostics list as hidden.
    desk.storeRecords({{.hardwareID = "5156-12850-12345",
                        .modelName = "Eastlake 32",
                        .customName = "Studio",
                        .sortOrder = 2,
                        .lastSeenAt = desk.clock.wallNow()}});
    plugRefusingDesk(desk);
    desk.refresh();
    desk.manager->setLaunchAtLoginEnabled(true);
    flipFirstSwitch(settings, desk);
    shooter.save(settings, QStringLiteral("settings-displays-error.png"));
    settings.tabs().setCurrentIndex(1);
    shooter.save(settings, QStringLiteral("settings-general-approval.png"));
    settings.generalPage().showDiagnostics();
    shooter.save(*settings.generalPage().diagnostics(), QStringLiteral("diagnostics-hidden-record.png"));
    settings.generalPage().diagnostics()->close();
    desk.queue.runUntilIdle();
}

// Eight displays: the card keeps inside the window and its rows scroll, here to the last; a row dragged
// over the list shows where it would go.
void shootManyDisplays(const Shooter& shooter) {
    DisplayManagerHarness desk;
    const char* models[] = {"Northwind 27Q", "Southgate 24", "Eastlake 32U", "Westbrook 34C"};
    for (int i = 1; i <= 8; ++i) {
        auto snapshot = DisplayManagerHarness::snapshot(static_cast<DisplayID>(i), "10-" + std::to_string(i));
        snapshot.modelName = std::string(models[(i - 1) % 4]) + (i > 4 ? " (2)" : "");
        desk.ddc.plugIn(snapshot, 20 + 8 * i);
    }
    desk.start();
    ShownPermissions permissions({true, true});
    SettingsView settings(*desk.manager, desk.queue, desk.defaults, permissions, {});
    settings.present();
    desk.queue.runUntilIdle();
    auto& page = settings.displaysPage();
    // Rows come on screen over a few turns of the event loop.
    for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
    shooter.save(settings, QStringLiteral("settings-displays-eight.png"));
    const auto& rows = page.rowList().rows();
    page.reorderer().dragOver(7, rows[1]->geometry().top() + 2);
    shooter.save(settings, QStringLiteral("settings-displays-drag.png"));
    page.reorderer().drop(7, rows[7]->geometry().center().y());
    page.rowArea().ensureWidgetVisible(rows.back(), 0, 0);
    shooter.save(settings, QStringLiteral("settings-displays-eight-scrolled.png"));
    desk.queue.runUntilIdle();
}

void shootKeyboardAccess(const Shooter& shooter) {
    KeyboardAccessDialog inputGroup(keyboardAccessSteps(true, false));
    shooter.save(inputGroup, QStringLiteral("keyboard-access.png"));
    KeyboardAccessDialog desktopKeys(keyboardAccessSteps(false, true));
    shooter.save(desktopKeys, QStringLiteral("keyboard-access-desktop-keys.png"));
}

void shootAboutAndUpdates(const Shooter& shooter) {
    Updater updater;
    AboutPage about(updater, [] {});
    shooter.save(about, QStringLiteral("about.png"));
    UpdateDialog upToDate({UpdateOutcome::Kind::upToDate, {}, {}, {}});
    shooter.save(upToDate, QStringLiteral("update-up-to-date.png"));
    UpdateDialog found({UpdateOutcome::Kind::updateFound, "0.2.0", "https://example.org/notes", {}});
    shooter.save(found, QStringLiteral("update-available.png"));
    UpdateDialog failed(UpdateOutcome::failedBecause("The update server did not answer in time."));
    shooter.save(failed, QStringLiteral("update-failed.png"));
}

}  // namespace

void shootSettingsWindows(const Shooter& shooter) {
    shootDefaultDesk(shooter);
    shootStates(shooter);
    shootManyDisplays(shooter);
    shootKeyboardAccess(shooter);
    shootAboutAndUpdates(shooter);
}

}  // namespace lumadesk
