#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/simulated/SimulatedScreenList.h"
#include "platform/simulated/SimulatedWindowServer.h"

using namespace lumadesk;

namespace {

using Notices = std::vector<std::pair<DisplayID, ReconfigurationFlags>>;

struct WindowServerHarness {
    SimulatedWindowServer windowServer{
        {{.displayID = 1}, {.displayID = 2}, {.displayID = 3}, {.displayID = 4, .isPlugged = false}}};
    Notices notices;
    ReconfigurationToken token = windowServer.registerReconfigurationCallback(
        [this](DisplayID displayID, ReconfigurationFlags flags) { notices.emplace_back(displayID, flags); });

    std::vector<DisplayID> online() { return windowServer.onlineDisplayIDs().displayIDs; }
    // Runs one whole transaction enabling or disabling the display; the code of the first failing step.
    WindowServerError setEnabled(DisplayID displayID, bool enabled) {
        const auto begun = windowServer.beginConfiguration();
        if (begun.error) return begun.error;
        if (auto code = windowServer.configureDisplayEnabled(*begun.configuration, displayID, enabled)) {
            windowServer.cancelConfiguration(*begun.configuration);
            return code;
        }
        return windowServer.completeConfiguration(*begun.configuration, ConfigureOption::forSession);
    }
};

constexpr auto begin = beginConfigurationFlag;

}  // namespace

TEST(SimulatedWindowServer, TransactionsChangeTheListOnlyWhenCompletedAndFailWithTheInjectedCodes) {
    WindowServerHarness h;
    // Disabling takes a display off the list after a begin notice; enabling puts it back in its place.
    EXPECT_EQ(h.setEnabled(2, false), windowServerSuccess);
    EXPECT_EQ(h.online(), (std::vector<DisplayID>{1, 3}));
    EXPECT_EQ(h.notices, (Notices{{2, begin}, {2, SimulatedWindowServer::disabledFlag}}));
    EXPECT_EQ(h.setEnabled(2, true), windowServerSuccess);
    EXPECT_EQ(h.online(), (std::vector<DisplayID>{1, 2, 3}));
    EXPECT_EQ(h.windowServer.openConfigurationCount(), 0U);

    // A cancelled transaction changes nothing, and cannot be completed afterwards.
    h.notices.clear();
    const auto begun = h.windowServer.beginConfiguration();
    EXPECT_EQ(h.windowServer.configureDisplayEnabled(*begun.configuration, 2, false), windowServerSuccess);
    h.windowServer.cancelConfiguration(*begun.configuration);
    EXPECT_EQ(h.online(), (std::vector<DisplayID>{1, 2, 3}));
    EXPECT_TRUE(h.notices.empty());
    EXPECT_EQ(h.windowServer.completeConfiguration(*begun.configuration, ConfigureOption::forSession),
              SimulatedWindowServer::illegalArgument);

    // Each step fails with its injected code; displays not plugged in or unknown cannot be configured.
    h.windowServer.setBeginError(1000);
    EXPECT_EQ(h.setEnabled(2, false), 1000);
    h.windowServer.setBeginError(0);
    h.windowServer.setConfigureError(1001);
    EXPECT_EQ(h.setEnabled(2, false), 1001);
    h.windowServer.setConfigureError(0);
    h.windowServer.setCompleteError(1004);
    EXPECT_EQ(h.setEnabled(2, false), 1004);
    EXPECT_EQ(h.online(), (std::vector<DisplayID>{1, 2, 3}));
    h.windowServer.setCompleteError(0);
    EXPECT_EQ(h.setEnabled(4, false), SimulatedWindowServer::illegalArgument);
    EXPECT_EQ(h.setEnabled(99, false), SimulatedWindowServer::illegalArgument);
}

TEST(SimulatedWindowServer, RefusesToTakeTheLastDisplayOffTheDesktopWithTheRealSessionsMessage) {
    WindowServerHarness h;
    EXPECT_EQ(h.setEnabled(1, false), windowServerSuccess);
    EXPECT_EQ(h.setEnabled(2, false), windowServerSuccess);
    EXPECT_EQ(h.windowServer.configurationFailureReason(), "");

    // The third is the last one on: refused, with the message every real session gives, and kept.
    h.notices.clear();
    EXPECT_EQ(h.setEnabled(3, false), SimulatedWindowServer::cannotComplete);
    EXPECT_EQ(h.windowServer.configurationFailureReason(),
              "The last display on the desktop cannot be taken off it: at least one display must stay on.");
    EXPECT_EQ(h.online(), (std::vector<DisplayID>{3}));
    EXPECT_TRUE(h.notices.empty());
    EXPECT_EQ(h.windowServer.openConfigurationCount(), 1U) << "a refused transaction stays open to cancel";

    // Swapping it for another in one transaction leaves a display on; a display that is not plugged in
    // does not count.
    const auto begun = h.windowServer.beginConfiguration();
    h.windowServer.configureDisplayEnabled(*begun.configuration, 3, false);
    h.windowServer.configureDisplayEnabled(*begun.configuration, 1, true);
    EXPECT_EQ(h.windowServer.completeConfiguration(*begun.configuration, ConfigureOption::forSession),
              windowServerSuccess);
    EXPECT_EQ(h.windowServer.configurationFailureReason(), "");
    EXPECT_EQ(h.online(), (std::vector<DisplayID>{1}));
    EXPECT_EQ(h.setEnabled(1, false), SimulatedWindowServer::cannotComplete) << "display 4 is unplugged";
}

TEST(SimulatedWindowServer, RestoringThePermanentConfigurationUndoesSessionChangesOnly) {
    WindowServerHarness h;
    h.setEnabled(2, false);
    h.setEnabled(3, false);
    h.notices.clear();
    EXPECT_EQ(h.windowServer.restorePermanentConfiguration(), windowServerSuccess);
    EXPECT_EQ(h.online(), (std::vector<DisplayID>{1, 2, 3}));
    EXPECT_EQ(h.notices, (Notices{{2, begin},
                                  {3, begin},
                                  {2, SimulatedWindowServer::enabledFlag},
                                  {3, SimulatedWindowServer::enabledFlag}}));

    const auto begun = h.windowServer.beginConfiguration();
    h.windowServer.configureDisplayEnabled(*begun.configuration, 3, false);
    h.windowServer.completeConfiguration(*begun.configuration, ConfigureOption::permanently);
    h.windowServer.restorePermanentConfiguration();
    EXPECT_EQ(h.online(), (std::vector<DisplayID>{1, 2}));
}

TEST(SimulatedWindowServer, PluggingAndUnpluggingAnnounceTheChangeAfterTheBeginNotice) {
    WindowServerHarness h;
    h.windowServer.setPlugged(4, true);
    h.windowServer.setPlugged(2, false);
    h.windowServer.setPlugged(2, false);  // already out: nothing happens
    EXPECT_EQ(h.online(), (std::vector<DisplayID>{1, 3, 4}));
    EXPECT_EQ(h.notices, (Notices{{4, begin},
                                  {4, SimulatedWindowServer::addFlag},
                                  {2, begin},
                                  {2, SimulatedWindowServer::removeFlag}}));

    h.windowServer.removeReconfigurationCallback(h.token);
    h.windowServer.setPlugged(2, true);
    EXPECT_EQ(h.notices.size(), 4U);
}

TEST(SimulatedScreenList, ShowsTheScreensOfOnlineDisplaysAndFindsTheMainOne) {
    SimulatedWindowServer windowServer{{{.displayID = 1}, {.displayID = 2}, {.displayID = 3}}};
    SimulatedScreenList screens(
        windowServer, {{{1920, 0, 1920, 1080}, 3, "Right", {}}, {{0, 0, 1920, 1080}, 2, "Left", {}}}, {5, 6});
    EXPECT_EQ(screens.screens(), (std::vector<Screen>{{{0, 0, 1920, 1080}, 2, "Left", {}},
                                                      {{1920, 0, 1920, 1080}, 3, "Right", {}}}));
    EXPECT_EQ(screens.mainScreen()->displayID, 2U);
    EXPECT_EQ(screens.pointerLocation(), (ScreenPoint{5, 6}));
    screens.setPointerLocation({7, 8});
    EXPECT_EQ(screens.pointerLocation(), (ScreenPoint{7, 8}));

    windowServer.setPlugged(2, false);
    EXPECT_EQ(screens.screens().size(), 1U);
    EXPECT_EQ(screens.mainScreen()->displayID, 3U);  // none at the origin: the first
    windowServer.setPlugged(3, false);
    EXPECT_FALSE(screens.mainScreen());
}
