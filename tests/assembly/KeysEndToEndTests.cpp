#include <gtest/gtest.h>

#include "runtime/RunSync.h"
#include "support/KeyedDesk.h"

using namespace lumadesk;
using namespace std::chrono_literals;

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

TEST(KeysEndToEnd, AKeyStepAtTheTopOfARangeWritesTheRangesMaximum) {
    KeyedDesk d;
    d.launch();
    auto& manager = d.stack->displayManager();
    manager.setBrightnessRange(BrightnessRange{20, 80}, "4268-41234-0");
    runSync(d.queue, manager.setBrightnessForAllDisplays(96));
    d.queue.runUntilIdle();
    EXPECT_EQ(d.monitorLevels(), (std::vector<int>{78, 96, 96}));
    d.keyboard.pressBrightnessKey(true, true);
    d.queue.runUntilIdle();
    d.keyboard.pressBrightnessKey(true, false);
    d.queue.advanceBy(1s);
    // The panel shows the user's level; the ranged monitor gets its own top.
    EXPECT_EQ(d.monitorLevels(), (std::vector<int>{80, 100, 100}));
    EXPECT_EQ(d.panel(), "100 All Displays");
}
