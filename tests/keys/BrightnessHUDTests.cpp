#include <gtest/gtest.h>

#include <algorithm>

#include "keys/BrightnessHUD.h"
#include "keys/BrightnessHUDPlacement.h"
#include "keys/KeysFakes.h"
#include "runtime/ManualMainQueue.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

struct Panel {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    FakeScreenList screens;
    RecordingPanels panels;
    std::optional<ScreenFrame> trayItem;
    std::vector<std::pair<int, BrightnessHUDTarget>> changes;
    BrightnessHUD hud{
        {queue, screens, panels.factory(), [this] { return trayItem; }},
        [this](int level, const BrightnessHUDTarget& target) { changes.emplace_back(level, target); }};

    bool visible() { return hud.state()->isVisible().get(); }
};

Screen screenWith(ScreenFrame frame, std::optional<ScreenFrame> available = std::nullopt) {
    return {.frame = frame, .displayID = 1, .localizedName = "Screen", .availableFrame = available};
}

}  // namespace

TEST(BrightnessHUD, HidesTwoPointTwoSecondsAfterTheLastShowAndLeavesAfterTheFade) {
    Panel p;
    p.hud.show(40, "All Displays", BrightnessHUDTarget::all());
    p.queue.advanceBy(1s);
    p.hud.show(46, "Eastlake 32U", BrightnessHUDTarget::display("5156-12850-12345"));
    EXPECT_EQ(p.hud.state()->brightness().get(), 46);
    EXPECT_EQ(p.hud.state()->displayName().get(), "Eastlake 32U");
    p.queue.advanceBy(2199ms);
    EXPECT_TRUE(p.visible());
    p.queue.advanceBy(1ms);
    EXPECT_FALSE(p.visible());
    p.queue.advanceBy(179ms);
    EXPECT_EQ(p.panels.log.back(), "front");
    p.queue.advanceBy(1ms);
    EXPECT_EQ(p.panels.log,
              (std::vector<std::string>{"move 1602,32", "front", "move 1602,32", "front", "out"}));
    EXPECT_EQ(p.panels.made, 1);
    // A show during the fade keeps the panel.
    p.hud.show(50, "All Displays", BrightnessHUDTarget::all());
    p.queue.advanceBy(2300ms);
    p.hud.show(52, "All Displays", BrightnessHUDTarget::all());
    p.queue.advanceBy(200ms);
    EXPECT_TRUE(p.visible());
    EXPECT_EQ(p.panels.log.back(), "front");
}

TEST(BrightnessHUD, StaysWhileHoveredAndHidesAfterThePointerLeaves) {
    Panel p;
    p.hud.show(40, "All Displays", BrightnessHUDTarget::all());
    p.queue.advanceBy(2s);
    p.hud.state()->setHovering(true);
    p.queue.advanceBy(10s);
    EXPECT_TRUE(p.visible());
    // A key pressed while the pointer rests on the panel shows the new level and keeps the panel.
    p.hud.show(46, "All Displays", BrightnessHUDTarget::all());
    p.queue.advanceBy(10s);
    EXPECT_TRUE(p.visible());
    p.hud.state()->setEditing(true);
    p.hud.state()->setHovering(false);  // still dragging
    p.queue.advanceBy(5s);
    EXPECT_TRUE(p.visible());
    p.hud.state()->setEditing(false);
    p.queue.advanceBy(2200ms);
    EXPECT_FALSE(p.visible());
    p.queue.advanceBy(180ms);
    EXPECT_EQ(p.panels.log.back(), "out");
}

TEST(BrightnessHUD, TheSliderReportsWholeLevelsOnceWithTheTargetOfTheLastShow) {
    Panel p;
    p.hud.show(40, "Eastlake 32U", BrightnessHUDTarget::display("X"));
    auto& state = *p.hud.state();
    for (double value : {37.5, 37.7, 38.4, 140.0, -3.0, 0.4}) state.setBrightnessFromSlider(value);
    const auto x = BrightnessHUDTarget::display("X");
    EXPECT_EQ(p.changes, (std::vector<std::pair<int, BrightnessHUDTarget>>{{38, x}, {100, x}, {0, x}}));
}

TEST(BrightnessHUD, WithoutAScreenTheShowIsDropped) {
    Panel p;
    const auto screens = p.screens.screenList;
    p.screens.screenList.clear();
    p.hud.show(40, "All Displays", BrightnessHUDTarget::all());
    EXPECT_EQ(p.hud.state(), nullptr);
    EXPECT_EQ(p.panels.made, 0);

    // A panel that is up goes away on time even when a show is dropped meanwhile.
    p.screens.screenList = screens;
    p.hud.show(40, "All Displays", BrightnessHUDTarget::all());
    p.queue.advanceBy(1s);
    p.screens.screenList.clear();
    p.hud.show(46, "All Displays", BrightnessHUDTarget::all());
    p.queue.advanceBy(1200ms);
    EXPECT_FALSE(p.visible());
    EXPECT_EQ(p.hud.state()->brightness().get(), 40);
    p.queue.advanceBy(180ms);
    EXPECT_EQ(p.panels.log.back(), "out");
}

TEST(BrightnessHUDPlacement, HangsUnderOrOverTheTrayIconElseTakesTheTopRightCorner) {
    const Screen screen = screenWith({0, 0, 1920, 1080});
    struct Case {
        std::optional<ScreenFrame> tray;
        ScreenPoint origin;
    };
    const std::vector<Case> cases{
        {ScreenFrame{1000, 0, 24, 28}, {861, 36}},      // top panel: 8 below, centred
        {ScreenFrame{1000, 1052, 24, 28}, {861, 972}},  // bottom panel: 8 above
        {ScreenFrame{1800, 500, 24, 28}, {1602, 32}},   // icon in the middle of the screen
        {ScreenFrame{1700, 0, 100, 28}, {1602, 32}},    // not icon-sized
        {std::nullopt, {1602, 32}},
    };
    for (const auto& c : cases) EXPECT_EQ(BrightnessHUDPlacement::origin(screen, {screen}, c.tray), c.origin);
    EXPECT_EQ(BrightnessHUDPlacement::initialFrame(screen.frame), (ScreenFrame{1606, 32, 302, 72}));
}

// Icons in every corner of panels on every side, on a second screen, and on a screen at scale 2 (whose
// desktop coordinates are half its pixels): the whole panel lies inside the screen's free area, as close
// to the icon as that allows.
TEST(BrightnessHUDPlacement, ThePanelLiesInsideTheFreeAreaOfTheIconsScreenAtEveryEdge) {
    const Screen left = screenWith({0, 0, 1920, 1080}, ScreenFrame{0, 28, 1920, 1052});
    const Screen right = screenWith({1920, 0, 2560, 1440}, ScreenFrame{1920, 0, 2560, 1400});
    const Screen docked = screenWith({1920, 0, 2560, 1440}, ScreenFrame{1920, 0, 2500, 1440});
    const Screen scaled = screenWith({0, 0, 1280, 800}, ScreenFrame{48, 0, 1232, 800});
    struct Case {
        const char* name;
        Screen main;
        std::vector<Screen> screens;
        std::optional<ScreenFrame> tray;
        ScreenPoint origin;
    };
    const std::vector<Case> cases{
        {"top right", left, {left, right}, ScreenFrame{1890, 2, 24, 24}, {1618, 34}},
        {"top left", left, {left, right}, ScreenFrame{4, 2, 24, 24}, {0, 34}},
        {"bottom right of the second screen",
         left,
         {left, right},
         ScreenFrame{4440, 1414, 24, 24},
         {4178, 1328}},
        {"bottom left of the second screen",
         left,
         {left, right},
         ScreenFrame{1922, 1414, 24, 24},
         {1920, 1328}},
        {"scale 2, top right", scaled, {scaled}, ScreenFrame{1250, 0, 22, 22}, {978, 30}},
        {"scale 2, top left beside a dock", scaled, {scaled}, ScreenFrame{50, 0, 22, 22}, {48, 30}},
        {"scale 2, bottom right", scaled, {scaled}, ScreenFrame{1255, 778, 22, 22}, {978, 698}},
        {"no icon, a panel on the right", docked, {docked}, std::nullopt, {4118, 32}},
    };
    for (const auto& c : cases) {
        const ScreenPoint origin = BrightnessHUDPlacement::origin(c.main, c.screens, c.tray);
        EXPECT_EQ(origin, c.origin) << c.name;
        const ScreenFrame& free = std::ranges::find_if(c.screens, [&](const Screen& s) {
                                      return s.frame.contains(origin);
                                  })->freeFrame();
        EXPECT_GE(origin.x, free.x) << c.name;
        EXPECT_GE(origin.y, free.y) << c.name;
        EXPECT_LE(origin.x + BrightnessHUDPlacement::width, free.x + free.width) << c.name;
        EXPECT_LE(origin.y + BrightnessHUDPlacement::height, free.y + free.height) << c.name;
    }
}

TEST(BrightnessHUD, ShowsInsideTheScreenWhenTheTrayIconSitsAtTheRightEdge) {
    Panel p;
    p.screens.screenList[0].availableFrame = ScreenFrame{0, 28, 1920, 1052};
    p.trayItem = ScreenFrame{1890, 2, 24, 24};
    p.hud.show(40, "All Displays", BrightnessHUDTarget::all());
    EXPECT_EQ(p.panels.log.front(), "move 1618,34");
}
