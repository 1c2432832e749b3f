#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "DisplayFixtures.h"
#include "interface/logic/GlobalBrightnessSync.h"
#include "interface/logic/PopoverContent.h"
#include "interface/logic/PopoverPlacement.h"
#include "interface/logic/PopoverRefresh.h"
#include "interface/logic/TrayIconInk.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/Sleep.h"

// What the popover decides, without Qt: its content, its place, its refresh and the all-displays card.

using namespace lumadesk;
using namespace lumadesk::testing;
using namespace std::chrono_literals;

namespace {

struct GlobalBrightnessSyncTest : ::testing::Test {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    std::vector<int> written;
    GlobalBrightnessSync sync{queue, [this](int level) { written.push_back(level); }};
    std::vector<Display> displays{controllableDisplay("a", 30, 0), controllableDisplay("b", 61, 1)};
};

Task<void> slowRefresh(int* count, const bool* fails) {
    ++*count;
    co_await sleepFor(1s);
    if (*fails) throw std::runtime_error("broken");
}

}  // namespace

TEST(PopoverContentTest, SubtitleBodyCardAndListHeightFollowTheDisplays) {
    const Display a = controllableDisplay("a", 40);
    auto withoutDDC = controllableDisplay("b", 0, 1);
    withoutDDC.supportsDDC = false;
    auto absent = controllableDisplay("gone", 50, 1);
    absent.isPresent = false;
    std::vector<Display> five;
    for (int i = 0; i < 5; ++i) five.push_back(controllableDisplay("d" + std::to_string(i), 50, i));

    using enum PopoverContentState;
    struct Case {
        const char* what;
        bool loaded;
        std::vector<Display> displays;
        std::string subtitle;
        PopoverContentState body;
        bool card;
        int listHeight;  // 70 per row with a slider, 46 without, kept within 46...280
    };
    const Case cases[] = {
        {"before the first load", false, {a}, "Finding displays", loading, false, 70},
        {"no displays", true, {}, "0 displays", empty, false, 46},
        {"one", true, {a}, "1 display", list, false, 70},
        {"one with DDC, one without", true, {a, withoutDDC}, "2 displays", list, false, 70 + 46},
        {"one present, one not", true, {a, absent}, "2 displays", list, false, 70 + 46},
        {"two controllable", true, {a, controllableDisplay("b", 60, 1)}, "2 displays", list, true, 140},
        {"five controllable", true, five, "5 displays", list, true, 280},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PopoverContent content(c.loaded, c.displays);
        EXPECT_EQ(content.subtitle(), c.subtitle);
        EXPECT_EQ(content.state(), c.body);
        EXPECT_EQ(content.showsAllDisplaysCard(), c.card);
        EXPECT_EQ(content.listHeight(), c.listHeight);
    }
}

TEST(PopoverContentTest, ShownDisplaysFollowSortOrderAndKeepTheManagersOrderOnTies) {
    const PopoverContent content(true, {controllableDisplay("c", 1, 2), controllableDisplay("a", 1, 0),
                                        controllableDisplay("b1", 1, 1), controllableDisplay("b2", 1, 1)});
    std::vector<std::string> order;
    for (const auto& display : content.shownDisplays()) order.push_back(display.hardwareID);
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b1", "b2", "c"}));
}

TEST(PopoverPlacementTest, UnderOrAboveTheIconAndInsideTheScreen) {
    // The corner of a 340 by 400 window on a 1920 by 1080 screen.
    const auto corner = [](PopoverPlacement::Rect icon, PopoverPlacement::Point pointer = {}) {
        const auto placed = PopoverPlacement::place(340, 400, icon, pointer, {0, 0, 1920, 1080});
        return std::pair(placed.x, placed.y);
    };
    constexpr int gap = PopoverPlacement::gap;
    EXPECT_EQ(corner({1000, 0, 24, 24}), std::pair(1012 - 170, 24 + gap)) << "centred under the icon";
    EXPECT_EQ(corner({1000, 1050, 24, 30}), std::pair(842, 1050 - gap - 400)) << "above it at the bottom";
    EXPECT_EQ(corner({1900, 0, 20, 24}), std::pair(1920 - 340, 24 + gap)) << "kept inside the screen";
    EXPECT_EQ(corner({0, 0, 0, 0}, {500, 10}), std::pair(330, 10 + gap))
        << "the pointer for an icon of no size";
}

TEST_F(GlobalBrightnessSyncTest, OpeningShowsTheMeanAndWritesNothingThenMovesWriteTheRoundedLevel) {
    // The card comes on screen: the mean of 30 and 61, shown as 46%, and writes stay off for one turn.
    sync.sync(displays);
    EXPECT_DOUBLE_EQ(sync.globalBrightness(), 45.5);
    EXPECT_EQ(sync.shownLevel(), 46);
    EXPECT_FALSE(sync.isReady());
    queue.runUntilIdle();
    EXPECT_TRUE(sync.isReady());
    EXPECT_TRUE(written.empty());

    // Armed, a move writes round(value); a value equal to the current one writes nothing.
    sync.userChanged(45.5);
    sync.userChanged(72.4);
    EXPECT_EQ(written, std::vector<int>{72});

    // A change of the list syncs again and disarms again; without controllable displays the value stays.
    sync.sync({});
    EXPECT_FALSE(sync.isReady());
    EXPECT_DOUBLE_EQ(sync.globalBrightness(), 72.4);
    queue.runUntilIdle();
    EXPECT_EQ(written, std::vector<int>{72});
}

TEST_F(GlobalBrightnessSyncTest, AMoveInTheDisarmedTurnIsWrittenWhenReArmed) {
    // Qt may deliver the last move of a drag between a sync and its re-arm; it must not be lost.
    sync.sync(displays);
    sync.userChanged(80.2);
    EXPECT_TRUE(written.empty());
    queue.runUntilIdle();
    EXPECT_EQ(written, std::vector<int>{80});
    EXPECT_DOUBLE_EQ(sync.globalBrightness(), 80.2);

    // A move back to the synced value in that turn has nothing to write.
    sync.sync(displays);
    sync.userChanged(45.5);
    queue.runUntilIdle();
    EXPECT_EQ(written, std::vector<int>{80});

    // A re-arm that outlives its card does nothing, not even the write it held back.
    {
        GlobalBrightnessSync shortLived(queue, [this](int level) { written.push_back(level); });
        shortLived.sync(displays);
        shortLived.userChanged(90);
    }
    queue.runUntilIdle();
    EXPECT_EQ(written, std::vector<int>{80});
}

TEST(PopoverRefreshTest, OneRefreshAtATimeThatEndsEvenWhenItFailsOrThePopoverIsGone) {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    int refreshes = 0;
    int changes = 0;
    bool fails = false;
    std::function<void()> shown;  // the view's word that the spinner is on screen
    auto refresh = std::make_unique<PopoverRefresh>(
        queue, [&] { return slowRefresh(&refreshes, &fails); }, [&] { ++changes; },
        [&](std::function<void()> begin) { shown = std::move(begin); });

    // The spinner shows at once, and the blocking refresh waits until it is on screen; a second start
    // while the refresh runs starts nothing.
    EXPECT_TRUE(refresh->start());
    EXPECT_TRUE(refresh->isRefreshing());
    queue.runUntilIdle();
    EXPECT_EQ(refreshes, 0);
    EXPECT_FALSE(refresh->start());
    std::exchange(shown, nullptr)();
    queue.runUntilIdle();
    EXPECT_FALSE(refresh->start());
    queue.advanceBy(1s);
    EXPECT_EQ(refreshes, 1);
    EXPECT_FALSE(refresh->isRefreshing());
    EXPECT_EQ(changes, 2) << "the view hears of the start and of the end";

    // A refresh that breaks down still ends, so that the button comes back.
    fails = true;
    EXPECT_TRUE(refresh->start());
    std::exchange(shown, nullptr)();
    queue.advanceBy(1s);
    EXPECT_EQ(refreshes, 2);
    EXPECT_FALSE(refresh->isRefreshing());

    // A refresh outliving the popover runs to its end, with nobody left to tell.
    fails = false;
    refresh->start();
    std::exchange(shown, nullptr)();
    refresh.reset();
    queue.advanceBy(1s);
    EXPECT_EQ(refreshes, 3);
    EXPECT_EQ(changes, 5);
}

TEST(TrayIconInkTest, LightInkOnADarkPanelDarkOnALightOneWithAFaintOutlineOfTheOtherShade) {
    using Rgba = TrayIconInk::Rgba;
    constexpr Rgba darkWindow{45, 45, 48};
    constexpr Rgba lightWindow{239, 239, 239};
    struct Case {
        Rgba schemeWindow;
        const char* desktop;
        bool panelIsDark;
    };
    // GNOME Shell's top bar stays dark under a light scheme; the other panels follow the scheme.
    for (const auto& [window, desktop, dark] :
         {Case{darkWindow, "KDE", true}, Case{lightWindow, "KDE", false}, Case{lightWindow, "", false},
          Case{lightWindow, "GNOME", true}, Case{lightWindow, "ubuntu:GNOME", true},
          Case{lightWindow, "X-Cinnamon", false}}) {
        const TrayIconInk ink(window, desktop);
        EXPECT_EQ(ink.panelIsDark(), dark) << desktop;
        EXPECT_EQ(TrayIconInk::isDark(ink.ink()), !dark) << desktop;
        EXPECT_EQ(TrayIconInk::isDark(ink.halo()), dark) << desktop;
        EXPECT_LT(ink.halo().alpha, 255);
        EXPECT_EQ(ink.ink().alpha, 255);
    }
    EXPECT_TRUE(TrayIconInk::isDark({0, 0, 255})) << "by luminance, not by the sum of the channels";
    EXPECT_FALSE(TrayIconInk::isDark({0, 255, 0}));
}
