#include "platform/linux/configuration/XlibRandRServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform/linux/configuration/X11RandRBackend.h"
#include "support/PrivateXvfb.h"

namespace lumadesk {
namespace {

TEST(XlibRandRServerTest, DrivesARealXServer) {
    const PrivateXvfb xvfb({"-screen", "0", "1280x1024x24"});
    if (xvfb.display().empty()) GTEST_SKIP() << "Xvfb is not installed, so the real RandR run is skipped.";

    auto owned = std::make_unique<XlibRandRServer>(xvfb.display());
    XlibRandRServer& server = *owned;
    const RandRLayout layout = server.layout();
    EXPECT_EQ(layout.size.width, 1280);
    EXPECT_EQ(layout.size.height, 1024);
    const auto on = std::find_if(layout.outputs.begin(), layout.outputs.end(), [](const RandROutput& output) {
        return output.connected && output.crtc != 0;
    });
    ASSERT_NE(on, layout.outputs.end());
    const RandRCrtc crtc = *std::find_if(layout.crtcs.begin(), layout.crtcs.end(),
                                         [&](const RandRCrtc& c) { return c.id == on->crtc; });

    // Requests the server accepts, and ones it refuses without ending this process. Xvfb's screen
    // cannot grow past the size it started with.
    server.grab();
    EXPECT_TRUE(server.setCrtc({crtc.id, 0, 0, 0, randRRotate0, {}}));
    EXPECT_EQ(server.layout().outputs.front().crtc, 0u);
    EXPECT_TRUE(server.setCrtc(crtc));
    EXPECT_FALSE(server.setCrtc({crtc.id, 0xFFFFFF, 0, 0, randRRotate0, crtc.outputs}));
    EXPECT_FALSE(server.setScreenSize({layout.maxWidth + 64, layout.maxHeight, 400, 270}));
    EXPECT_TRUE(server.setScreenSize(layout.size));
    server.ungrab();
    EXPECT_EQ(server.layout().crtcs.front(), crtc);
    EXPECT_TRUE(server.takeLayoutChanges());
    EXPECT_FALSE(server.takeLayoutChanges());

    // Through the backend: the only output stays on, and what already is needs no request.
    X11RandRBackend backend(std::move(owned));
    const auto listed = backend.connectedOutputs();
    EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
                            [&](const OutputCandidate& output) { return output.name == on->name; }));
    EXPECT_NO_THROW(backend.apply({{{on->name, {}}, true}}));
    try {
        backend.apply({{{on->name, {}}, false}});
        ADD_FAILURE() << "the last output was disabled";
    } catch (const OutputConfigurationError& error) {
        EXPECT_EQ(
            std::string(error.what()),
            "The last display on the desktop cannot be taken off it: at least one display must stay on.");
    }
}

TEST(XlibRandRServerTest, SaysWhenThereIsNoXServer) {
    EXPECT_THROW(XlibRandRServer(":9999"), OutputConfigurationError);
}

}  // namespace
}  // namespace lumadesk
