#pragma once

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform/linux/configuration/RandRServer.h"

namespace lumadesk {

// An X server's RandR state that checks requests as the server does (modes and CRTCs an output may use,
// CRTCs inside the screen, the screen within its limits) and logs them.
class FakeRandRServer final : public RandRServer {
public:
    RandRLayout state;
    std::vector<std::string> log;
    std::set<RandRID> refusedCrtcs;
    bool changesPending = false;
    bool describesOutputs = true;  // false: layout() fails as when the server's reply is missing

    RandRLayout layout() override {
        if (!describesOutputs) throw OutputConfigurationError("The X server did not describe its outputs.");
        return state;
    }
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
    bool setPrimary(RandRID output) override {
        log.push_back("primary " + std::to_string(output));
        state.primary = output;
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

// eDP-1 1920x1080 at 0,0 on CRTC 11; DP-1 2560x1440 at 1920,0 on CRTC 12; HDMI-1 connected and off;
// CRTC 13 free.
inline RandRLayout threeOutputLayout() {
    RandRLayout layout;
    layout.modes = {{1, 1920, 1080}, {2, 2560, 1440}, {3, 1280, 1024}};
    layout.outputs = {{101, "eDP-1", {0, 1}, true, 11, {11, 12, 13}, {1}},
                      {102, "DP-1", {0, 2}, true, 12, {11, 12, 13}, {2, 1}},
                      {103, "HDMI-1", {0, 3}, true, 0, {12, 13}, {3}}};
    layout.crtcs = {{11, 1, 0, 0, randRRotate0, {101}},
                    {12, 2, 1920, 0, randRRotate0, {102}},
                    {13, 0, 0, 0, randRRotate0, {}}};
    layout.size = {4480, 1440, 1120, 360};
    layout.maxWidth = 8192;
    layout.maxHeight = 8192;
    return layout;
}

}  // namespace lumadesk
