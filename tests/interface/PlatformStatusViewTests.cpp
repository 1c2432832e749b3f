#include <gtest/gtest.h>

#include "interface/DiagnosticsView.h"
#include "interface/ErrorStrip.h"
#include "interface/GeneralPage.h"
#include "interface/LumadeskApp.h"
#include "interface/MenuBarPopover.h"
#include "interface/SettingsView.h"
#include "interface/Updater.h"
#include "keys/KeysFakes.h"
#include "platform/simulated/SimulatedKeyboardEvents.h"
#include "runtime/InMemoryDefaults.h"
#include "support/DisplayManagerHarness.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

const std::string denied =
    "Permission denied on /dev/i2c-5, so its monitor cannot be controlled. Install Lumadesk's udev rule.";
const std::string silent = "The monitor on /dev/i2c-7 does not answer DDC/CI at address 0x37.";

// The tray application over a manager on fake hardware, with a platform whose problems the test sets.
struct PlatformStatusViews : ::testing::Test {
    DisplayManagerHarness desk;
    InMemoryDefaults defaults;
    SimulatedKeyboardEvents keyboard;
    SimulatedPermissionServices permissions;
    FakeScreenList screens;
    std::vector<std::string> problems{denied};
    std::map<std::string, ReplyWait> waits;
    PlatformStatus status{[this] { return problems; }, "GNOME (Mutter)", [this] { return waits; }};

    void SetUp() override {
        desk.ddc.plugIn(DisplayManagerHarness::snapshot(1, "a"), 40);
        desk.start();
    }
    void refresh() {
        // Each refresh ends at a later time, as it does on a real clock.
        desk.queue.advanceBy(1s);
        desk.refresh();
    }
    void TearDown() override { desk.queue.runUntilIdle(); }
};

}  // namespace

// The popover's strip shows what keeps monitors out of reach, read again at each refresh and each time
// the popover opens, and goes once nothing does.
TEST_F(PlatformStatusViews, TheErrorStripShowsThePlatformsProblemsWhileTheyHold) {
    refresh();
    Updater updater;
    PopoverActions actions;
    actions.platformProblems = [this] { return problems; };
    MenuBarPopover popover(*desk.manager, updater, desk.queue, std::move(actions));
    popover.show();
    EXPECT_TRUE(popover.errorStrip().isVisible());
    EXPECT_EQ(popover.errorStrip().message().toStdString(), denied);
    const int withOneProblem = popover.height();

    problems = {denied, silent};
    refresh();
    EXPECT_EQ(popover.errorStrip().message().toStdString(), denied + "\n\n" + silent);
    EXPECT_GT(popover.height(), withOneProblem) << "the popover grows with the strip";

    problems.clear();
    refresh();
    EXPECT_FALSE(popover.errorStrip().isVisible());

    problems = {silent};
    popover.hide();
    popover.show();
    EXPECT_EQ(popover.errorStrip().message().toStdString(), silent) << "a write may have met it since";
}

// The application hands the platform's status to the popover and, through the General page, to the
// diagnostics sheet, which lists it after the records and copies it with them.
TEST_F(PlatformStatusViews, TheDiagnosticsSheetNamesTheServiceAndTheProblems) {
    const bool quitOnLastWindowClosed = QApplication::quitOnLastWindowClosed();
    {
        LumadeskApp app(desk.manager, defaults, desk.queue, {keyboard, permissions, screens, true}, nullptr,
                        nullptr, status);
        app.start();
        desk.queue.runUntilIdle();
        app.popover().show();
        EXPECT_EQ(app.popover().errorStrip().message().toStdString(), denied);

        app.openSettings();
        app.settingsView()->generalPage().showDiagnostics();
        DiagnosticsView& sheet = *app.settingsView()->generalPage().diagnostics();
        EXPECT_EQ(sheet.platformText().toStdString(),
                  "Display configuration: GNOME (Mutter)\nProblem: " + denied);
        problems.clear();
        refresh();
        EXPECT_EQ(sheet.platformText().toStdString(), "Display configuration: GNOME (Mutter)");
        sheet.copyDiagnostics();
        const std::string copied = QGuiApplication::clipboard()->text().toStdString();
        EXPECT_EQ(copied.rfind("Name: ", 0), 0U) << "the records first";
        EXPECT_TRUE(copied.ends_with("Sort order: 0\n\nDisplay configuration: GNOME (Mutter)")) << copied;
        // Each monitor's learned reply wait is a block of its own below.
        waits = {{"4268-41234-12345", {std::chrono::milliseconds(90), true}}};
        refresh();
        EXPECT_EQ(sheet.platformText().toStdString(),
                  "Display configuration: GNOME (Mutter)\n\nDDC reply wait 4268-41234-12345: 90 ms, last "
                  "read failed");
        sheet.close();
    }
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed);
    // Without a platform's status the sheet shows no platform section, as before.
    QWidget window;
    auto* plain = new DiagnosticsView(*desk.manager, &window);
    EXPECT_EQ(plain->platformText(), QString());
    EXPECT_EQ(plain->content().copiedText().find("Display configuration"), std::string::npos);
}
