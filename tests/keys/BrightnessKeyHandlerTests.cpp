#include <gtest/gtest.h>

#include "keys/BrightnessKeyHandler.h"
#include "keys/BrightnessShortcut.h"
#include "platform/simulated/SimulatedKeyboardEvents.h"
#include "runtime/InMemoryDefaults.h"
#include "runtime/ManualMainQueue.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Source = BrightnessKeySource;
using Report = BrightnessKeyReport;

constexpr std::int64_t mediaKey(std::int64_t key, std::int64_t state, std::int64_t flags = 0) {
    return (key << 16) | (state << 8) | flags;
}

// A handler over the simulated keyboard; steps and log lines are collected.
struct Handling {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    SimulatedKeyboardEvents keyboard;
    SimulatedPermissionServices permissions;
    InMemoryDefaults defaults;
    std::vector<int> steps;
    std::vector<std::string> log;
    std::unique_ptr<BrightnessKeyHandler> handler;

    BrightnessKeyHandler& make() {
        handler = std::make_unique<BrightnessKeyHandler>(
            BrightnessKeyHandler::Services{keyboard, permissions, queue, defaults,
                                           [this](const std::string& line) { log.push_back(line); }},
            [this](int delta) { steps.push_back(delta); });
        return *handler;
    }
};

}  // namespace

TEST(BrightnessKeyHandler, DecodesEachPathsEventsByItsTable) {
    const auto system = [](std::int64_t data1, std::int16_t subtype = 8) {
        return BrightnessKeyHandler::decodeTapEvent(
            {.type = KeyboardEventType::systemDefined, .keyCode = 0, .subtype = subtype, .data1 = data1});
    };
    const auto key = [](KeyboardEventType type, std::int64_t code) {
        return BrightnessKeyHandler::decodeTapEvent({.type = type, .keyCode = code});
    };
    using enum KeyboardEventType;
    EXPECT_EQ(system(mediaKey(2, 0x0A)), (Report{Source::eventTapSystemIncrease, 6, true}));
    EXPECT_EQ(system(mediaKey(2, 0x0B)), (Report{Source::eventTapSystemIncrease, 6, false}));
    EXPECT_EQ(system(mediaKey(3, 0x0A, 1)),
              (Report{Source::eventTapSystemDecrease, -6, true}));  // repeat flag
    EXPECT_EQ(system(mediaKey(3, 0x0B) | (std::int64_t{1} << 40)),
              (Report{Source::eventTapSystemDecrease, -6, false}));
    EXPECT_EQ(system(mediaKey(2, 0x0C)), std::nullopt);
    EXPECT_EQ(system(mediaKey(0, 0x0A)), std::nullopt);  // the volume key
    EXPECT_EQ(system(mediaKey(2, 0x0A), 7), std::nullopt);
    EXPECT_EQ(BrightnessKeyHandler::decodeTapEvent({.type = systemDefined}),
              std::nullopt);  // not convertible
    EXPECT_EQ(key(keyDown, 113), (Report{Source::eventTapKeyIncrease, 6, true}));
    EXPECT_EQ(key(keyUp, 144), (Report{Source::eventTapKeyIncrease, 6, false}));
    EXPECT_EQ(key(keyDown, 107), (Report{Source::eventTapKeyDecrease, -6, true}));
    EXPECT_EQ(key(keyUp, 145), (Report{Source::eventTapKeyDecrease, -6, false}));
    EXPECT_EQ(key(keyDown, 126), std::nullopt);

    EXPECT_EQ(BrightnessKeyHandler::decodeHIDValue({0x0C, 0x6F, 1}), (Report{Source::hidIncrease, 6, true}));
    EXPECT_EQ(BrightnessKeyHandler::decodeHIDValue({0x0C, 0x6F, 2}), (Report{Source::hidIncrease, 6, true}));
    EXPECT_EQ(BrightnessKeyHandler::decodeHIDValue({0x0C, 0x70, 0}),
              (Report{Source::hidDecrease, -6, false}));
    EXPECT_EQ(BrightnessKeyHandler::decodeHIDValue({0x07, 0x6F, 1}), std::nullopt);  // keyboard page
    EXPECT_EQ(BrightnessKeyHandler::decodeHIDValue({0x0C, 0xE9, 1}), std::nullopt);

    EXPECT_EQ(BrightnessKeyHandler::decodeHotKey(1, true), (Report{Source::customIncrease, 6, true}));
    EXPECT_EQ(BrightnessKeyHandler::decodeHotKey(2, false), (Report{Source::customDecrease, -6, false}));
    EXPECT_EQ(BrightnessKeyHandler::decodeHotKey(3, true), std::nullopt);

    EXPECT_EQ(BrightnessKeyHandler::decodeMonitorEvent({8, mediaKey(3, 0x0A)}),
              (Report{Source::globalMonitorDecrease, -6, true}));
}

TEST(BrightnessKeyHandler, TheTapIsTriedInThreeWaysAndFallsBackToTheGlobalMonitor) {
    Handling h;
    h.keyboard.refusedTaps = {{TapLocation::session, TapOptions::defaultTap},
                              {TapLocation::hid, TapOptions::defaultTap}};
    auto& handler = h.make();
    handler.installEventTap();
    handler.installEventTap();  // already there
    EXPECT_EQ(h.keyboard.calls,
              (std::vector<std::string>{"createEventTap session default", "createEventTap hid default",
                                        "createEventTap session listenOnly", "enableEventTap true"}));
    // Listen-only: the keys reach this program and the system alike.
    EXPECT_EQ(h.keyboard.pressBrightnessKey(true, true), false);
    h.queue.runUntilIdle();
    EXPECT_EQ(h.steps, std::vector<int>{6});
    handler.removeEventTap();

    h.keyboard.refusedTaps.insert({TapLocation::session, TapOptions::listenOnly});
    h.keyboard.calls.clear();
    handler.installEventTap();
    EXPECT_FALSE(handler.hasEventTap());
    EXPECT_TRUE(handler.hasGlobalMonitor());
    handler.removeGlobalMonitor();

    h.permissions.accessibility = false;
    h.keyboard.calls.clear();
    handler.installEventTap();
    EXPECT_EQ(h.keyboard.calls, std::vector<std::string>{"addGlobalMonitor"});
}

TEST(BrightnessKeyHandler, TheTapConsumesOnlyBrightnessKeysAndReportsThemThroughTheQueue) {
    Handling h;
    auto& handler = h.make();
    handler.installEventTap();
    EXPECT_TRUE(h.keyboard.pressBrightnessKey(false, true));
    EXPECT_TRUE(h.steps.empty());  // the callback only queues the report
    h.queue.runUntilIdle();
    EXPECT_EQ(h.steps, std::vector<int>{-6});
    EXPECT_TRUE(h.keyboard.pressBrightnessKey(false, false));
    EXPECT_EQ(h.keyboard.sendTapEvent({.type = KeyboardEventType::keyDown, .keyCode = 0}), TapVerdict::pass);
    // 144 down, F15 down, 144 up: one held key, released at the first up.
    for (const auto& [type, code] : {std::pair{KeyboardEventType::keyDown, 144},
                                     {KeyboardEventType::keyDown, 113},
                                     {KeyboardEventType::keyUp, 144}})
        EXPECT_EQ(h.keyboard.sendTapEvent({.type = type, .keyCode = code}), TapVerdict::consume);
    h.queue.runUntilIdle();
    h.queue.advanceBy(2s);
    EXPECT_EQ(h.steps, (std::vector<int>{-6, 6}));
}

TEST(BrightnessKeyHandler, ATapTheSystemDisabledIsEnabledAgainAndItsHeldKeysLetGo) {
    Handling h;
    auto& handler = h.make();
    handler.installEventTap();
    h.keyboard.pressBrightnessKey(false, true);
    h.queue.runUntilIdle();
    h.keyboard.calls.clear();
    EXPECT_EQ(h.keyboard.sendTapEvent({.type = KeyboardEventType::tapDisabledByTimeout}), TapVerdict::pass);
    EXPECT_EQ(h.keyboard.calls, std::vector<std::string>{"enableEventTap true"});
    h.queue.advanceBy(5s);
    EXPECT_EQ(h.steps, std::vector<int>{-6});  // the release ran before the delay was over
    EXPECT_TRUE(handler.repeater().activeSources().empty());
}

TEST(BrightnessKeyHandler, HotKeysRegisterFromTheStoredShortcutsAndAFailureIsLoggedOnce) {
    Handling h;
    h.keyboard.hotKeyStatusByID[1] = -9878;
    h.defaults.setValue("brightnessDownKey", std::int64_t{107});  // no modifier entry: no modifiers
    auto& handler = h.make();
    handler.registerHotKeys();
    EXPECT_EQ(h.keyboard.calls,
              (std::vector<std::string>{"installHotKeyHandler", "registerHotKey 126 6144 id 1",
                                        "registerHotKey 107 0 id 2"}));
    EXPECT_EQ(h.log,
              std::vector<std::string>{"[BrightnessKeyHandler] Failed to register hotkey id=1 status=-9878"});
    EXPECT_EQ(handler.hotKeyCount(), 1U);
    EXPECT_TRUE(h.keyboard.pressShortcut(107, 0, true));
    EXPECT_TRUE(h.keyboard.sendHotKeyEvent(3, true));  // unknown id: nothing
    h.queue.runUntilIdle();
    EXPECT_EQ(h.steps, std::vector<int>{-6});
    h.keyboard.calls.clear();
    handler.unregisterHotKeys();
    EXPECT_EQ(h.keyboard.calls, (std::vector<std::string>{"unregisterHotKey id 2", "removeHotKeyHandler"}));
    h.queue.advanceBy(2s);
    EXPECT_EQ(h.steps, std::vector<int>{-6});  // unregistering released the held shortcut
}

TEST(BrightnessKeyHandler, StoredShortcutsThatCannotBeKeyCodesFallBackToTheDefault) {
    const BrightnessShortcut defaultUp{126, 0x1800};
    const std::vector<std::pair<DefaultsValue, DefaultsValue>> unusable{
        {std::int64_t{-1}, std::int64_t{0}},
        {std::int64_t{0x1'0000'0000}, std::int64_t{0}},
        {std::string("126"), std::int64_t{0}},
        {std::int64_t{12}, std::int64_t{-4}},
        {std::int64_t{12}, 3.5},
    };
    for (const auto& [key, modifiers] : unusable) {
        InMemoryDefaults defaults;
        defaults.setValue("brightnessUpKey", key);
        defaults.setValue("brightnessUpModifiers", modifiers);
        EXPECT_EQ(BrightnessShortcut::up(defaults), defaultUp);
    }
    InMemoryDefaults defaults;
    defaults.setValue("brightnessUpKey", std::int64_t{0xFFFFFFFF});
    defaults.setValue("brightnessUpModifiers", std::int64_t{0x100});
    EXPECT_EQ(BrightnessShortcut::up(defaults), (BrightnessShortcut{0xFFFFFFFF, 0x100}));
    EXPECT_EQ(BrightnessShortcut::down(defaults), (BrightnessShortcut{125, 0x1800}));
}

TEST(BrightnessKeyHandler, ARefusedHIDMonitorIsClosedAndRemovalLetsGoOfEveryPathsKeys) {
    Handling h;
    h.keyboard.hidOpenResult = -536870207;
    auto& handler = h.make();
    handler.installHIDMonitor();
    EXPECT_FALSE(handler.hasHIDMonitor());
    EXPECT_EQ(h.keyboard.calls, (std::vector<std::string>{"openHIDMonitor", "closeHIDMonitor"}));

    h.keyboard.hidOpenResult = 0;
    handler.installHIDMonitor();
    h.permissions.accessibility = false;
    handler.installEventTap();                  // the global monitor stands in
    h.keyboard.pressBrightnessKey(true, true);  // seen on the monitor and on HID
    h.queue.runUntilIdle();
    EXPECT_EQ(handler.repeater().activeSources().size(), 2U);
    handler.removeHIDMonitor();
    handler.removeGlobalMonitor();
    EXPECT_TRUE(handler.repeater().activeSources().empty());
    h.queue.advanceBy(2s);
    EXPECT_EQ(h.steps, std::vector<int>{6});
    h.handler.reset();
    EXPECT_FALSE(h.keyboard.hasHIDMonitor() || h.keyboard.hasGlobalMonitor() || h.keyboard.hasTap());
}
