#include "platform/linux/configuration/MutterDisplayConfigBackend.h"

#include <gtest/gtest.h>

#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform_linux_configuration/FakeMutter.h"
#include "runtime/VirtualClock.h"

namespace lumadesk {
namespace {

// Three monitors side by side, DP-1 | DP-2 (scaled 2x) | HDMI-1, and HDMI-2 connected but off.
class MutterBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!mutter.ready())
            GTEST_SKIP() << "No private session bus with a free Mutter name (run under dbus-run-session).";
        backend = std::make_unique<MutterDisplayConfigBackend>();
    }

    std::string failureOf(std::vector<OutputChange> changes, const Deadline& deadline = {}) {
        try {
            backend->apply(changes, deadline);
        } catch (const OutputConfigurationError& error) {
            return error.what();
        }
        return "no failure";
    }

    FakeMutter mutter{{{"DP-1", {{"1920x1080@60", 1920, 1080, true}}},
                       {"DP-2", {{"3840x2160@60", 3840, 2160, true}, {"2560x1440@60", 2560, 1440, false}}},
                       {"HDMI-1", {{"1280x1024@60", 1280, 1024, true}}},
                       {"HDMI-2", {{"1024x768@60", 1024, 768, false}, {"1600x900@60", 1600, 900, true}}}},
                      {{0, 0, 1, true, "DP-1", "1920x1080@60"},
                       {1920, 0, 2, false, "DP-2", "3840x2160@60"},
                       {3840, 0, 1, false, "HDMI-1", "1280x1024@60"}}};
    std::unique_ptr<MutterDisplayConfigBackend> backend;
};

TEST_F(MutterBackendTest, AppliesTemporaryLayoutsThatCloseAndReopenTheGap) {
    int changes = 0;
    backend->setChangeHandler([&] { ++changes; });

    backend->apply({{{"DP-2", {1, 2}}, false}});
    backend->apply({{{"DP-2", {1, 2}}, true}});
    // Never seen on: its preferred mode right of the rightmost monitor.
    backend->apply({{{"HDMI-A-2", {}}, true}});
    EXPECT_EQ(mutter.applied(),
              (std::vector<std::string>{
                  "serial 1 method 1: 0,0 primary DP-1 1920x1080@60; 1920,0 HDMI-1 1280x1024@60;",
                  "serial 2 method 1: 0,0 primary DP-1 1920x1080@60; 3840,0 HDMI-1 1280x1024@60; 1920,0 DP-2 "
                  "3840x2160@60;",
                  "serial 3 method 1: 0,0 primary DP-1 1920x1080@60; 3840,0 HDMI-1 1280x1024@60; 1920,0 DP-2 "
                  "3840x2160@60; 5120,0 HDMI-2 1600x900@60;"}));

    // MonitorsChanged reached the bus before the reply did.
    backend->processEvents();
    EXPECT_EQ(changes, 3);
}

TEST_F(MutterBackendTest, RetriesAStaleRequestOnceAndReportsRefusals) {
    mutter.callNextRequestStale();
    backend->apply({{{"HDMI-1", {}}, false}});
    EXPECT_EQ(mutter.applied().size(), 2u);
    EXPECT_EQ(mutter.serial(), 2u);

    mutter.refuseWith("Logical monitors not adjacent");
    EXPECT_EQ(failureOf({{{"DP-2", {}}, false}}),
              "GNOME refused the new display layout: Logical monitors not adjacent");
    mutter.refuseWith(std::nullopt);

    EXPECT_EQ(failureOf({{{"DP-1", {}}, false}, {{"DP-2", {}}, false}}),
              "The last display on the desktop cannot be taken off it: at least one display must stay on.");
    EXPECT_EQ(failureOf({{{"DP-5", {}}, false}}), "GNOME shows no display DP-5.");

    mutter.setApplyAllowed(false);
    EXPECT_EQ(failureOf({{{"DP-2", {}}, false}}),
              "GNOME does not allow changing the display layout at the moment.");
    EXPECT_EQ(mutter.applied().size(), 3u);

    mutter.vanish();
    EXPECT_TRUE(failureOf({{{"DP-2", {}}, false}})
                    .starts_with("GNOME's display configuration service did not answer"));
}

TEST_F(MutterBackendTest, AMutterThatNeverAnswersHoldsAChangeNoLongerThanTheDeadline) {
    using namespace std::chrono_literals;
    VirtualClock clock;
    mutter.stopAnswering();
    // 150 ms are left: the first call waits that long (a short real wait) and the change gives up.
    EXPECT_TRUE(failureOf({{{"HDMI-2", {}}, true}}, Deadline::after(clock, 150ms))
                    .starts_with("GNOME's display configuration service did not answer"));
    EXPECT_EQ(mutter.calls(), 1);

    // Once the deadline has passed, nothing is asked at all.
    const Deadline passed = Deadline::after(clock, 2s);
    clock.advance(2s);
    EXPECT_EQ(failureOf({{{"HDMI-2", {}}, true}}, passed),
              "There was no time left to change the display layout.");
    EXPECT_EQ(mutter.calls(), 1);
}

}  // namespace
}  // namespace lumadesk
