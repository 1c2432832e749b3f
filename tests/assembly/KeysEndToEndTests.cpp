#include <gtest/gtest.h>

#include "assembly/DisplayStack.h"
#include "keys/AppDelegate.h"
#include "keys/KeysFakes.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunSync.h"
#include "runtime/VirtualSleeper.h"
#include "support/DefaultDeskPositions.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {


// The whole program below the widgets, in virtual time: keys pressed on the simulated keyboard go through
// the delegate and the manager to the monitors' DDC/CI.
struct KeyedDesk {
    TemporaryDirectory configDirectory;
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    ManualMainQueue queue{clock};
    std::unique_ptr<SimulatedPlatform> platform = SimulatedPlatform::create({}, clock, sleeper);
    std::unique_ptr<DisplayStack> stack = std::make_unique<DisplayStack>(
        *platform, queue, DisplayStackOptions{configDirectory.path(), TransportKind::arm64});
    SimulatedKeyboardEvents& keyboard = platform->keyboardEvents();
    NotificationCenter notifications;
    RecordingPanels panels;
    FakeScreenList panelScreens;
    std::unique_ptr<KeyboardPermissionController> permissions;
    std::unique_ptr<AppDelegate> delegate;

    void launch() {
        platform->desk().monitor(leftTwin).setBrightness(50);
        permissions = std::make_unique<KeyboardPermissionController>(platform->permissionServices());
        delegate =
            std::make_unique<AppDelegate>(AppDelegate::Services{.manager = stack->sharedDisplayManager(),
                                                                .queue = queue,
                                                                .defaults = stack->defaults(),
                                                                .notifications = notifications,
                                                                .screens = platform->screenList(),
                                                                .panelScreens = panelScreens,
                                                                .keyboard = keyboard,
                                                                .permissions = platform->permissionServices(),
                                                                .keyboardPermissions = *permissions,
                                                                .makePanel = panels.factory(),
                                                                .trayItemFrame = {},
                                                                .log = {},
                                                                .underTestHost = true});
        delegate->applicationDidFinishLaunching();
        queue.runUntilIdle();
    }
    ~KeyedDesk() {
        delegate.reset();
        queue.runUntilIdle();
        stack.reset();
    }

    std::vector<int> monitorLevels() {
        auto& desk = platform->desk();
        return {desk.monitor(leftTwin).brightness(), desk.monitor(rightTwin).brightness(),
                desk.monitor(eastlake).brightness()};
    }
    std::string panel() {
        auto* state = delegate->brightnessHUD()->state();
        return state ? std::to_string(state->brightness().get()) + " " + state->displayName().get() : "none";
    }
};

}  // namespace

TEST(KeysEndToEnd, EachCapturePathRaisesEveryMonitorOverDDCAndShowsThePanel) {
    struct Case {
        const char* path;
        std::function<void(KeyedDesk&)> setUp;
        std::function<void(KeyedDesk&, bool down)> key;
    };
    const std::vector<Case> cases{
        {"tap, media key", [](KeyedDesk& d) { d.keyboard.hidOpenResult = 1; },
         [](KeyedDesk& d, bool down) { d.keyboard.pressBrightnessKey(true, down); }},
        {"tap, F15", [](KeyedDesk& d) { d.keyboard.hidOpenResult = 1; },
         [](KeyedDesk& d, bool down) {
             d.keyboard.sendTapEvent(
                 {.type = down ? KeyboardEventType::keyDown : KeyboardEventType::keyUp, .keyCode = 113});
         }},
        {"HID", [](KeyedDesk&) {},
         [](KeyedDesk& d, bool down) {
             d.keyboard.sendHIDValue({0x0C, 0x6F, down ? 1 : 0});
         }},
        {"global monitor",
         [](KeyedDesk& d) {
             d.platform->permissionServices().accessibility = false;
             d.keyboard.hidOpenResult = 1;
         },
         [](KeyedDesk& d, bool down) { d.keyboard.pressBrightnessKey(true, down); }},
        {"hot key", [](KeyedDesk&) {},
         [](KeyedDesk& d, bool down) { d.keyboard.pressShortcut(126, 0x1800, down); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        KeyedDesk d;
        c.setUp(d);
        d.launch();
        ASSERT_EQ(d.monitorLevels(), (std::vector<int>{50, 65, 70}));
        c.key(d, true);
        d.queue.runUntilIdle();
        c.key(d, false);
        d.queue.runUntilIdle();
        // "all": the first eligible display's level plus 6, on every eligible monitor.
        EXPECT_EQ(d.monitorLevels(), (std::vector<int>{56, 56, 56}));
        EXPECT_EQ(d.panel(), "56 All Displays");
        EXPECT_EQ(d.panels.log, (std::vector<std::string>{"move 1602,32", "front"}));
    }
}

TEST(KeysEndToEnd, AHeldKeyRepeatsAtTheSystemPaceAndTheWritesKeepTheirSpacing) {
    KeyedDesk d;
    d.launch();
    d.keyboard.pressBrightnessKey(false, true);
    d.queue.advanceBy(650ms);  // steps at 0, 500 and 600 ms
    d.keyboard.pressBrightnessKey(false, false);
    d.queue.advanceBy(2s);
    EXPECT_EQ(d.monitorLevels(), (std::vector<int>{32, 32, 32}));
    EXPECT_EQ(d.panel(), "32 All Displays");
}
