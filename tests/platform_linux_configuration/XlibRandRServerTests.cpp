#include "platform/linux/configuration/XlibRandRServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform/linux/configuration/X11RandRBackend.h"

extern char** environ;

namespace lumadesk {
namespace {

// A private Xvfb on a free display number, which it reports through -displayfd once it accepts
// connections; stopped when destroyed.
class Xvfb {
public:
    Xvfb() {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {"Xvfb",         "-displayfd", "3",   "-screen", "0",
                              "1280x1024x24", "-nolisten",  "tcp", nullptr};
        if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        char buffer[16] = {};
        std::string number;
        ssize_t got = 0;
        while (m_pid > 0 && (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) number.append(buffer, got);
        ::close(pipeFds[0]);
        if (!number.empty() && number.back() == '\n') m_display = ":" + number.substr(0, number.size() - 1);
    }
    ~Xvfb() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    // The display name; empty when Xvfb could not be started.
    const std::string& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

TEST(XlibRandRServerTest, DrivesARealXServer) {
    const Xvfb xvfb;
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
