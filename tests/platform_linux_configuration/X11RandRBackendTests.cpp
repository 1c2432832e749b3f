#include "platform/linux/configuration/X11RandRBackend.h"

#include <gtest/gtest.h>

#include "platform/linux/configuration/DisabledOutputsRecord.h"
#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform/linux/configuration/OutputConfigurationTransactions.h"
#include "platform_linux_configuration/FakeRandRServer.h"
#include "support/TemporaryDirectory.h"

namespace lumadesk {
namespace {

class X11RandRBackendTest : public ::testing::Test {
protected:
    X11RandRBackendTest() {
        auto fake = std::make_unique<FakeRandRServer>();
        server = fake.get();
        server->state = threeOutputLayout();
        backend = std::make_unique<X11RandRBackend>(std::move(fake));
    }

    void apply(std::vector<OutputChange> changes) {
        server->log.clear();
        backend->apply(changes);
    }
    std::string failureOf(std::vector<OutputChange> changes) {
        try {
            apply(std::move(changes));
        } catch (const OutputConfigurationError& error) {
            return error.what();
        }
        return "no failure";
    }

    FakeRandRServer* server = nullptr;
    std::unique_ptr<X11RandRBackend> backend;
};

TEST_F(X11RandRBackendTest, DisablingAndEnablingKeepsTheOutputsPlaceUnderOneGrab) {
    // Matched by EDID although the DRM name differs from the driver's.
    apply({{{"DP-3", {0, 2}}, false}});
    EXPECT_EQ(server->log,
              (std::vector<std::string>{"grab", "crtc 12 off", "size 1920x1080 480x270mm", "ungrab"}));

    apply({{{"DP-3", {0, 2}}, true}});
    EXPECT_EQ(server->log, (std::vector<std::string>{"grab", "size 4480x1440 1120x360mm",
                                                     "crtc 12 mode 2 at 1920,0", "ungrab"}));

    // An output never seen on gets its preferred mode right of the rightmost output, on a free CRTC.
    apply({{{"HDMI-A-1", {}}, true}});
    EXPECT_EQ(server->log, (std::vector<std::string>{"grab", "size 5760x1440 1440x360mm",
                                                     "crtc 13 mode 3 at 4480,0", "ungrab"}));
    // Asking for what already is sends nothing.
    apply({{{"HDMI-A-1", {}}, true}});
    EXPECT_EQ(server->log, (std::vector<std::string>{"grab", "ungrab"}));

    // One output of a clone taken off: the CRTC keeps its mode and place for the other one.
    server->state = threeOutputLayout();
    server->state.outputs[2].modes = {3, 2};
    server->state.outputs[2].crtc = 12;
    server->state.crtcs[1].outputs = {102, 103};
    apply({{{"HDMI-1", {}}, false}});
    EXPECT_EQ(server->log, (std::vector<std::string>{"grab", "crtc 12 mode 2 at 1920,0", "ungrab"}));
    EXPECT_EQ(server->state.crtcs[1], (RandRCrtc{12, 2, 1920, 0, randRRotate0, {102}}));
}

TEST_F(X11RandRBackendTest, RefusalsLeaveTheLayoutAsItWas) {
    const RandRLayout before = server->state;
    EXPECT_EQ(failureOf({{{"eDP-1", {}}, false}, {{"DP-1", {}}, false}}),
              "The last display on the desktop cannot be taken off it: at least one display must stay on.");
    EXPECT_EQ(server->log, (std::vector<std::string>{"grab", "ungrab"}));

    EXPECT_EQ(failureOf({{{"DP-7", {}}, false}}), "The X server shows no connected output for DP-7.");

    // Out of CRTCs: HDMI-1 can use 12 and 13, and both are busy.
    server->state.crtcs[2] = {13, 1, 0, 0, randRRotate0, {101}};
    server->state.crtcs[0] = {11, 0, 0, 0, randRRotate0, {}};
    EXPECT_EQ(failureOf({{{"HDMI-1", {}}, true}}),
              "No display controller is free for HDMI-1: take another display off the desktop first.");
    server->state = before;

    // The server refuses the enable: the disable before it is undone.
    server->state.outputs[2].crtcs = {13};
    server->refusedCrtcs = {13};
    EXPECT_EQ(failureOf({{{"DP-1", {}}, false}, {{"HDMI-1", {}}, true}}),
              "The X server refused the new layout of DP-1, HDMI-1.");
    EXPECT_EQ(server->log, (std::vector<std::string>{"grab", "crtc 12 off", "crtc 13 mode 3 at 1920,0",
                                                     "crtc 12 mode 2 at 1920,0", "ungrab"}));
    server->state.outputs[2].crtcs = {12, 13};
    EXPECT_EQ(server->state.crtcs, before.crtcs);
    EXPECT_EQ(server->state.size, before.size);
}

TEST_F(X11RandRBackendTest, ATurnedOutputCountsWithItsTurnedSizeAndEventsReachTheHandler) {
    server->state.crtcs[1].rotation = randRRotate90;
    server->state.size = {3360, 2560, 840, 640};
    apply({{{"eDP-1", {}}, false}});
    EXPECT_EQ(server->log, (std::vector<std::string>{"grab", "crtc 11 off", "ungrab"}));
    apply({{{"eDP-1", {}}, true}});
    EXPECT_EQ(server->log.at(1), "crtc 11 mode 1 at 0,0");

    int changes = 0;
    backend->setChangeHandler([&] { ++changes; });
    backend->processEvents();
    server->changesPending = true;
    backend->processEvents();
    EXPECT_EQ(changes, 1);
}

// The connected outputs under the driver's names, with the monitors' EDIDs, tell the screen list which
// screen a monitor shows; when the server does not answer, none are listed.
TEST_F(X11RandRBackendTest, ListsTheConnectedOutputsWithTheirEDIDs) {
    server->state.outputs.push_back({104, "DisplayPort-0", {}, false, 0, {13}, {}});
    const auto outputs = backend->connectedOutputs();
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> listed;
    for (const auto& output : outputs) listed.emplace_back(output.name, output.edid);
    EXPECT_EQ(listed, (std::vector<std::pair<std::string, std::vector<std::uint8_t>>>{
                          {"eDP-1", {0, 1}}, {"DP-1", {0, 2}}, {"HDMI-1", {0, 3}}}));
    server->describesOutputs = false;
    EXPECT_TRUE(backend->connectedOutputs().empty());
}

// Two runs of the program (the command that took the panel off, the one that puts it back) against one
// X server, sharing the record file: the second knows nothing but what the record says.
TEST(X11RandRPlacesTest, AnOutputTakenOffByOneProcessComesBackWhereItWasThroughAnother) {
    const TemporaryDirectory directory;
    const auto file = directory.path() / DisabledOutputsRecord::fileName;
    RandRLayout shared = threeOutputLayout();
    shared.primary = 101;
    const OutputIdentity panel{"eDP-1", {0, 1}};
    const auto run = [&](bool enabled, const std::function<void(FakeRandRServer&)>& before = {}) {
        auto fake = std::make_unique<FakeRandRServer>();
        FakeRandRServer& server = *fake;
        server.state = shared;
        if (before) before(server);
        X11RandRBackend backend(std::move(fake));
        const DisabledOutputsRecord record(file, {OutputHolder::Role::command, 100 + enabled, 1, "b", "s"});
        OutputConfigurationTransactions transactions(
            backend, [&](DisplayID) { return panel; }, &record);
        const auto configuration = *transactions.beginConfiguration().configuration;
        EXPECT_EQ(transactions.configureDisplayEnabled(configuration, 7, enabled), windowServerSuccess);
        EXPECT_EQ(transactions.completeConfiguration(configuration, ConfigureOption::forSession),
                  windowServerSuccess)
            << transactions.lastErrorMessage();
        shared = server.state;
        return server.log;
    };

    run(false);
    const auto held = DisabledOutputsRecord(file, {}).load();
    ASSERT_EQ(held.size(), 1u);
    // 1920x1080 at 0,0, unturned, and the primary output; the fake's modes tell no rate.
    EXPECT_EQ(held[0].place, (OutputPlace{0, 0, 1920, 1080, 0, 1, 0, true}));

    // Meanwhile the desktop made DP-1 primary; the second run puts the panel back with its mode at its
    // place (not right of DP-1), primary again, and the record forgets it.
    EXPECT_EQ(run(true, [](FakeRandRServer& server) { server.state.primary = 102; }),
              (std::vector<std::string>{"grab", "crtc 11 mode 1 at 0,0", "primary 101", "ungrab"}));
    EXPECT_EQ(shared.primary, 101u);
    EXPECT_TRUE(DisabledOutputsRecord(file, {}).load().empty());

    // Off again; when its recorded mode is gone, it comes back with its preferred mode right of the
    // rightmost output rather than not at all.
    run(false);
    EXPECT_EQ(run(true, [](FakeRandRServer& server) { server.state.outputs[0].modes = {3}; }),
              (std::vector<std::string>{"grab", "size 5760x1440 1440x360mm", "crtc 11 mode 3 at 4480,0",
                                        "primary 101", "ungrab"}));
}

}  // namespace
}  // namespace lumadesk
