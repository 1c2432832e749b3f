#include "platform/linux/configuration/kde/KdeOutputManagementBackend.h"

#include <poll.h>

#include <gtest/gtest.h>

#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform_linux_configuration/FakeKWin.h"
#include "runtime/VirtualClock.h"

namespace lumadesk {
namespace {

class KdeOutputManagementTest : public ::testing::Test {
protected:
    std::string failureOf(std::vector<OutputChange> changes, const Deadline& deadline = {}) {
        try {
            backend.apply(changes, deadline);
        } catch (const OutputConfigurationError& error) {
            return error.what();
        }
        return "no failure";
    }
    std::string states() {
        std::string text;
        for (const auto& output : kwin.outputs())
            text += output.name + (output.enabled ? " on " : " off ") + std::to_string(output.x) + "; ";
        return text;
    }

    FakeKWin kwin{{{"DP-1", 0, 1920, true, {0, 0xFF, 1}},
                   {"DP-2", 1920, 2560, true, {0, 0xFF, 2}},
                   {"HDMI-A-1", 0, 1280, false, {0, 0xFF, 3}}}};
    KdeOutputManagementBackend backend{kwin.connect()};
};

TEST_F(KdeOutputManagementTest, AppliesEachChangeAsOneConfigurationAndFollowsTheOutputs) {
    int changes = 0;
    backend.setChangeHandler([&] { ++changes; });
    EXPECT_EQ(backend.name(), "KDE Plasma output management");

    // Found by EDID even under another name; back in KWin's remembered place.
    backend.apply({{{"DP-2", {0, 0xFF, 2}}, false}});
    EXPECT_EQ(states(), "DP-1 on 0; DP-2 off 1920; HDMI-A-1 off 0; ");
    backend.apply({{{"DisplayPort-2", {0, 0xFF, 2}}, true}});
    // Never seen on: right of the outputs that are on.
    backend.apply({{{"HDMI-A-1", {}}, true}});
    // Nothing to do asks nothing.
    backend.apply({{{"HDMI-A-1", {}}, true}});
    EXPECT_EQ(kwin.requests(),
              (std::vector<std::string>{"enable DP-2 0", "apply", "enable DP-2 1", "apply",
                                        "enable HDMI-A-1 1", "position HDMI-A-1 4480,0", "apply"}));
    EXPECT_EQ(states(), "DP-1 on 0; DP-2 on 1920; HDMI-A-1 on 4480; ");
    EXPECT_GE(changes, 3);

    // A change made elsewhere reaches the handler through the event descriptor.
    const int before = changes;
    kwin.setEnabled("HDMI-A-1", false);
    for (int round = 0; round < 50 && changes == before; ++round) {
        pollfd connection{backend.eventDescriptor(), POLLIN, 0};
        ::poll(&connection, 1, 100);
        backend.processEvents();
    }
    EXPECT_EQ(changes, before + 1);
}

TEST_F(KdeOutputManagementTest, RefusalsAndTheDeadlineLeaveEverythingAsItWas) {
    kwin.refuseNextConfiguration();
    EXPECT_EQ(failureOf({{{"DP-2", {}}, false}}), "KDE Plasma did not apply the new display layout.");
    EXPECT_EQ(failureOf({{{"DP-1", {}}, false}, {{"DP-2", {}}, false}}),
              "The last display on the desktop cannot be taken off it: at least one display must stay on.");
    EXPECT_EQ(failureOf({{{"DP-7", {}}, false}}), "KDE Plasma shows no display DP-7.");
    VirtualClock clock;
    const Deadline passed = Deadline::after(clock, std::chrono::seconds(1));
    clock.advance(std::chrono::seconds(1));
    EXPECT_EQ(failureOf({{{"DP-2", {}}, false}}, passed),
              "There was no time left to change the display layout.");
    EXPECT_EQ(kwin.requests(), (std::vector<std::string>{"enable DP-2 0", "apply"}));
    EXPECT_EQ(states(), "DP-1 on 0; DP-2 on 1920; HDMI-A-1 off 0; ");
}

TEST(KdeOutputManagementSelectionTest, ACompositorWithoutOutputManagementIsNotTakenForOne) {
    FakeKWin plainCompositor({{"DP-1", 0, 1920, true, {}}}, false);
    EXPECT_THROW(KdeOutputManagementBackend{plainCompositor.connect()}, OutputConfigurationError);
}

}  // namespace
}  // namespace lumadesk
