#include <gtest/gtest.h>

#include "keys/AppDelegate.h"
#include "keys/BrightnessRouting.h"
#include "keys/KeysFakes.h"
#include "platform/simulated/SimulatedKeyboardEvents.h"
#include "runtime/NotificationCenter.h"
#include "support/DisplayManagerHarness.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

// The delegate over a harnessed manager, the simulated keyboard and recording panels.
struct Delegating : DisplayManagerHarness {
    NotificationCenter notifications;
    FakeScreenList screens;
    SimulatedKeyboardEvents keyboard;
    SimulatedPermissionServices permissions;
    std::unique_ptr<KeyboardPermissionController> keyboardPermissions;
    RecordingPanels panels;
    bool underTestHost = false;
    std::unique_ptr<AppDelegate> delegate;

    // Plugs in displays 1... with the given brightness levels, refreshes, and launches the delegate.
    AppDelegate& launch(const std::vector<int>& levels) {
        for (std::size_t i = 0; i < levels.size(); ++i) {
            const auto id = static_cast<DisplayID>(i + 1);
            ddc.plugIn(snapshot(id, "hw-" + std::to_string(id)), levels[i]);
        }
        start();
        refresh();
        keyboardPermissions = std::make_unique<KeyboardPermissionController>(permissions);
        delegate =
            std::make_unique<AppDelegate>(AppDelegate::Services{.manager = manager,
                                                                .queue = queue,
                                                                .defaults = defaults,
                                                                .notifications = notifications,
                                                                .screens = screens,
                                                                .panelScreens = screens,
                                                                .keyboard = keyboard,
                                                                .permissions = permissions,
                                                                .keyboardPermissions = *keyboardPermissions,
                                                                .makePanel = panels.factory(),
                                                                .trayItemFrame = {},
                                                                .log = {},
                                                                .underTestHost = underTestHost});
        delegate->applicationDidFinishLaunching();
        queue.runUntilIdle();
        return *delegate;
    }

    // Presses and releases brightness up (or down) and lets the writes finish.
    void tap(bool up) {
        keyboard.pressBrightnessKey(up, true);
        keyboard.pressBrightnessKey(up, false);
        queue.runUntilIdle();
    }

    std::string panel() {
        auto* state = delegate->brightnessHUD()->state();
        if (!state) return "none";
        const auto& target = delegate->brightnessHUD()->target();
        return std::to_string(state->brightness().get()) + " " + state->displayName().get() + " -> " +
               target.hardwareID.value_or("all");
    }
};

}  // namespace

TEST(AppDelegate, RoutesAStepByTheControlMode) {
    struct Case {
        std::string mode;
        std::vector<int> levels;
        ScreenPoint pointer;
        bool up;
        std::string rows;
        std::string panel;
    };
    const std::vector<Case> cases{
        {"all", {40, 55}, {0, 0}, true, "hw-1 #0 46, hw-2 #1 46", "46 All Displays -> all"},
        {"all", {98}, {0, 0}, true, "hw-1 #0 100", "100 Model hw-1 -> all"},
        {"all", {3, 80}, {0, 0}, false, "hw-1 #0 0, hw-2 #1 0", "0 All Displays -> all"},
        {"current", {40, 55}, {2000, 10}, true, "hw-1 #0 40, hw-2 #1 61", "61 Model hw-2 -> hw-2"},
        {"current", {40, 55}, {-50, -50}, true, "hw-1 #0 46, hw-2 #1 55", "46 Model hw-1 -> hw-1"},
        {"hw-2", {33, 28}, {0, 0}, true, "hw-1 #0 33, hw-2 #1 34", "34 Model hw-2 -> hw-2"},
        {"hw-9", {33, 34}, {0, 0}, true, "hw-1 #0 33, hw-2 #1 34", "33 All Displays -> all"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode + " " + c.rows);
        Delegating d;
        d.defaults.setValue(AppDelegate::controlModeKey, c.mode);
        d.screens.pointer = c.pointer;
        d.launch(c.levels);
        d.tap(c.up);
        EXPECT_EQ(d.rows(), c.rows);
        EXPECT_EQ(d.panel(), c.panel);
    }
}

TEST(AppDelegate, AModeNamingADisconnectedDisplayChangesNothingAndShowsTheOthersMean) {
    Delegating d;
    d.defaults.setValue(AppDelegate::controlModeKey, std::string("hw-2"));
    d.launch({40, 55, 70});
    runSync(d.queue, d.manager->setConnected(false, "hw-2"));
    d.queue.advanceBy(2s);
    d.tap(true);
    EXPECT_EQ(d.rows(), "hw-1 #0 40, hw-2 #1 0 held absent noDDC, hw-3 #2 70");
    EXPECT_EQ(d.panel(), "55 All Displays -> all");
}

TEST(AppDelegate, ThePanelFollowsTheSettingAndTheSliderSetsItsTarget) {
    Delegating d;
    d.defaults.setValue(AppDelegate::showHUDKey, std::string("no"));  // not a boolean: shown
    d.launch({40, 60});
    d.tap(false);
    EXPECT_EQ(d.panel(), "34 All Displays -> all");
    d.delegate->brightnessHUD()->state()->setBrightnessFromSlider(71.5);
    d.queue.runUntilIdle();
    EXPECT_EQ(d.rows(), "hw-1 #0 72, hw-2 #1 72");

    d.defaults.setValue(AppDelegate::showHUDKey, false);
    d.panels.log.clear();
    d.tap(true);
    EXPECT_EQ(d.rows(), "hw-1 #0 78, hw-2 #1 78");
    EXPECT_TRUE(d.panels.log.empty());
}

TEST(AppDelegate, StartUpAsksForMissingPermissionsOnceAndNeverUnderATestHost) {
    {
        Delegating d;
        d.permissions.accessibility = true;
        d.permissions.inputMonitoring = false;
        d.launch({40});
        EXPECT_EQ(d.permissions.requests, std::vector<std::string>{"inputMonitoring"});
        EXPECT_EQ(d.defaults.boolValue(AppDelegate::didRequestPermissionsKey), true);
        // The tap, the HID monitor and the hot keys were installed in that order.
        EXPECT_EQ(d.keyboard.calls.front(), "createEventTap session default");
        EXPECT_EQ(d.keyboard.calls.at(2), "openHIDMonitor");
        EXPECT_EQ(d.keyboard.calls.at(3), "installHotKeyHandler");
    }
    {
        Delegating d;
        d.permissions.accessibility = false;
        d.permissions.inputMonitoring = false;
        d.defaults.setValue(AppDelegate::didRequestPermissionsKey, true);
        d.launch({40});
        EXPECT_TRUE(d.permissions.requests.empty());
    }
    {
        Delegating d;
        d.permissions.accessibility = false;
        d.underTestHost = true;
        d.launch({40});
        EXPECT_TRUE(d.permissions.requests.empty());
        EXPECT_EQ(d.defaults.boolValue(AppDelegate::didRequestPermissionsKey), std::nullopt);
    }
    {
        Delegating d;
        d.permissions.accessibility = false;
        d.permissions.inputMonitoring = false;
        d.launch({40});
        EXPECT_EQ(d.permissions.requests, (std::vector<std::string>{"inputMonitoring", "accessibility"}));
    }
}

TEST(AppDelegate, ActivationReinstallsTheTapOnceGrantedAndQuitTearsEverythingDown) {
    Delegating d;
    d.permissions.accessibility = false;
    d.defaults.setValue(AppDelegate::didRequestPermissionsKey, true);
    d.launch({40});
    EXPECT_TRUE(d.keyboard.hasGlobalMonitor());
    d.keyboard.pressBrightnessKey(true, true);  // held while the user switches away
    d.queue.runUntilIdle();
    d.permissions.accessibility = true;
    d.delegate->applicationDidBecomeActive();
    EXPECT_TRUE(d.keyboardPermissions->state().get().accessibilityGranted);
    EXPECT_TRUE(d.keyboard.hasTap());
    EXPECT_FALSE(d.keyboard.hasGlobalMonitor());
    EXPECT_EQ(d.delegate->brightnessKeyHandler()->repeater().activeDelta(), std::nullopt);
    d.queue.advanceBy(3s);
    EXPECT_EQ(d.rows(), "hw-1 #0 46");  // one step, no runaway repetition

    d.defaults.setValue("brightnessUpKey", std::int64_t{0});
    d.notifications.post(AppDelegate::shortcutsDidChange);
    EXPECT_TRUE(d.keyboard.pressShortcut(0, 0, true));
    d.keyboard.pressShortcut(0, 0, false);
    d.queue.runUntilIdle();
    EXPECT_EQ(d.rows(), "hw-1 #0 52");

    runSync(d.queue, d.manager->setConnected(false, "hw-1"));
    d.delegate->applicationWillTerminate();
    EXPECT_FALSE(d.keyboard.hasTap() || d.keyboard.hasHIDMonitor() || d.keyboard.hasHotKeyHandler());
    EXPECT_TRUE(d.manager->disconnectedDisplayIDs().empty());  // put back on the desktop
    d.notifications.post(AppDelegate::shortcutsDidChange);     // no longer observed
    EXPECT_FALSE(d.keyboard.hasHotKeyHandler());
}

TEST(BrightnessRouting, FindsTheDisplayUnderThePointerByScreenPositionAndSortOrder) {
    const auto display = [](std::string id, int sortOrder) {
        Display made;
        made.hardwareID = std::move(id);
        made.sortOrder = sortOrder;
        made.supportsDDC = true;
        return made;
    };
    // Screens that do not know their displays.
    FakeScreenList screens;
    for (auto& screen : screens.screenList) screen.displayID = 0;
    const std::vector<Display> eligible{display("b", 1), display("a", 0)};
    const auto under = [&](ScreenPoint pointer, const std::vector<Display>& list) {
        return BrightnessRouting::displayUnderPointer(list, screens.screenList, pointer);
    };
    EXPECT_EQ(under({0, 0}, eligible), "a");
    EXPECT_EQ(under({1919, 1079}, eligible), "a");
    EXPECT_EQ(under({1920, 0}, eligible), "b");
    EXPECT_EQ(under({1920, 1440}, eligible), "b");         // below the right screen: first in list order
    EXPECT_EQ(under({2000, 10}, {display("a", 0)}), "a");  // second screen, one display
    EXPECT_EQ(under({0, 0}, {}), std::nullopt);
    EXPECT_EQ(BrightnessRouting::stepped(98, 6), 100);
    EXPECT_EQ(BrightnessRouting::stepped(3, -6), 0);
}

TEST(BrightnessRouting, AScreenThatKnowsItsDisplayRoutesToThatDisplayWhateverTheOrder) {
    const auto display = [](std::string hardwareID, DisplayID id, int sortOrder) {
        return Display{
            .id = id, .hardwareID = std::move(hardwareID), .supportsDDC = true, .sortOrder = sortOrder};
    };
    // The screens are not in the user's order, and a laptop panel (display 7, not eligible) sits among
    // them.
    FakeScreenList screens;
    screens.screenList = {{.frame = {0, 0, 2560, 1440}, .displayID = 12, .localizedName = "DP-2"},
                          {.frame = {2560, 0, 1920, 1080}, .displayID = 7, .localizedName = "eDP-1"},
                          {.frame = {4480, 0, 1920, 1080}, .displayID = 11, .localizedName = "DP-1"},
                          {.frame = {6400, 0, 1920, 1080}, .displayID = 0, .localizedName = "HDMI-1"}};
    const std::vector<Display> eligible{display("left", 11, 0), display("right", 12, 1)};
    const auto under = [&](ScreenPoint pointer) {
        return BrightnessRouting::displayUnderPointer(eligible, screens.screenList, pointer);
    };
    EXPECT_EQ(under({10, 10}), "right");
    EXPECT_EQ(under({4500, 10}), "left");
    EXPECT_EQ(under({2600, 10}), "left") << "the panel shows no eligible display: the first one";
    EXPECT_EQ(under({6500, 10}), "left") << "no ID: by position, past the end of the list";
    screens.screenList.erase(screens.screenList.begin(), screens.screenList.begin() + 2);
    EXPECT_EQ(under({6500, 10}), "right") << "no ID: the second screen, the second in the user's order";
}

TEST(AppDelegate, TheCurrentDisplayAndItsPanelFollowTheScreenUnderThePointer) {
    Delegating d;
    d.defaults.setValue(AppDelegate::controlModeKey, std::string(BrightnessRouting::currentMode));
    // Display 2 is shown on the first screen, display 1 on the second.
    d.screens.screenList[0].displayID = 2;
    d.screens.screenList[1].displayID = 1;
    d.screens.pointer = {10, 10};
    d.launch({40, 55});
    d.tap(true);
    EXPECT_EQ(d.rows(), "hw-1 #0 40, hw-2 #1 61");
    EXPECT_EQ(d.panel(), "61 Model hw-2 -> hw-2");
}

TEST(KeyboardPermissionController, RequestsInputMonitoringBeforeAccessibilityAndNotifiesOnlyOnChange) {
    KeyboardPermissionState granted{true, false};
    int reads = 0;
    std::vector<std::string> calls;
    KeyboardPermissionController controller(
        [&] {
            ++reads;
            return granted;
        },
        [&] { calls.emplace_back("accessibility"); }, [&] { calls.emplace_back("inputMonitoring"); });
    int notices = 0;
    const auto subscription = controller.state().subscribe([&](const auto&) { ++notices; });
    EXPECT_FALSE(controller.refresh());
    controller.requestAccess();
    EXPECT_EQ(calls, std::vector<std::string>{"inputMonitoring"});
    granted = {true, true};
    calls.clear();
    reads = 0;
    controller.requestAccess();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(notices, 1);
}
