#include "platform/linux/configuration/X11RandRBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {
namespace {

// An X server's RandR state that checks requests as the server does (modes and CRTCs an output may use,
// CRTCs inside the screen, the screen within its limits) and logs them.
class FakeRandRServer final : public RandRServer {
public:
    RandRLayout state;
    std::vector<std::string> log;
    std::set<RandRID> refusedCrtcs;
    bool changesPending = false;

    RandRLayout layout() override { return state; }
    void grab() override { log.push_back("grab"); }
    void ungrab() override { log.push_back("ungrab"); }
    bool setCrtc(const RandRCrtc& crtc) override {
        log.push_back(crtc.mode == 0
                          ? "crtc " + std::to_string(crtc.id) + " off"
                          : "crtc " + std::to_string(crtc.id) + " mode " + std::to_string(crtc.mode) +
                                " at " + std::to_string(crtc.x) + "," + std::to_string(crtc.y));
        if (refusedCrtcs.contains(crtc.id)) return false;
        for (RandRID id : crtc.outputs) {
            const RandROutput& output = outputOf(id);
            if (std::find(output.crtcs.begin(), output.crtcs.end(), crtc.id) == output.crtcs.end())
                return false;
            if (std::find(output.modes.begin(), output.modes.end(), crtc.mode) == output.modes.end())
                return false;
        }
        if (crtc.mode != 0) {
            const RandRMode& mode = modeOf(crtc.mode);
            if (crtc.x + mode.width > state.size.width || crtc.y + mode.height > state.size.height)
                return false;
        }
        for (RandROutput& output : state.outputs) {
            if (output.crtc == crtc.id) output.crtc = 0;
            if (std::find(crtc.outputs.begin(), crtc.outputs.end(), output.id) != crtc.outputs.end())
                output.crtc = crtc.id;
        }
        *std::find_if(state.crtcs.begin(), state.crtcs.end(),
                      [&](const RandRCrtc& c) { return c.id == crtc.id; }) = crtc;
        return true;
    }
    bool setScreenSize(const RandRScreenSize& size) override {
        log.push_back("size " + std::to_string(size.width) + "x" + std::to_string(size.height) + " " +
                      std::to_string(size.widthMM) + "x" + std::to_string(size.heightMM) + "mm");
        for (const RandRCrtc& crtc : state.crtcs) {
            if (crtc.mode == 0) continue;
            if (crtc.x + modeOf(crtc.mode).width > size.width) return false;
        }
        state.size = size;
        return true;
    }
    int eventDescriptor() const override { return -1; }
    bool takeLayoutChanges() override { return std::exchange(changesPending, false); }

private:
    const RandROutput& outputOf(RandRID id) const {
        return *std::find_if(state.outputs.begin(), state.outputs.end(),
                             [&](const RandROutput& o) { return o.id == id; });
    }
    const RandRMode& modeOf(RandRID id) const {
        return *std::find_if(state.modes.begin(), state.modes.end(),
                             [&](const RandRMode& m) { return m.id == id; });
    }
};

class X11RandRBackendTest : public ::testing::Test {
protected:
    X11RandRBackendTest() {
        auto fake = std::make_unique<FakeRandRServer>();
        server = fake.get();
        // eDP-1 1920x1080 at 0,0 on CRTC 11; DP-1 2560x1440 at 1920,0 on CRTC 12; HDMI-1 connected and off;
        // CRTC 13 free.
        server->state.modes = {{1, 1920, 1080}, {2, 2560, 1440}, {3, 1280, 1024}};
        server->state.outputs = {{101, "eDP-1", {0, 1}, true, 11, {11, 12, 13}, {1}},
                                 {102, "DP-1", {0, 2}, true, 12, {11, 12, 13}, {2, 1}},
                                 {103, "HDMI-1", {0, 3}, true, 0, {12, 13}, {3}}};
        server->state.crtcs = {{11, 1, 0, 0, randRRotate0, {101}},
                               {12, 2, 1920, 0, randRRotate0, {102}},
                               {13, 0, 0, 0, randRRotate0, {}}};
        server->state.size = {4480, 1440, 1120, 360};
        server->state.maxWidth = 8192;
        server->state.maxHeight = 8192;
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

}  // namespace
}  // namespace lumadesk
