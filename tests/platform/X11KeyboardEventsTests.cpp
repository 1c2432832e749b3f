#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/linux/keys/HotKeyTranslation.h"
#include "platform/linux/keys/X11KeyboardEvents.h"
#include "support/PolledDescriptors.h"
#include "support/PrivateXvfb.h"

extern char** environ;

using namespace lumadesk;

namespace {

pid_t run(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return pid;
}

int wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

bool onPath(const std::string& program) {
    return wait(run({"sh", "-c", "command -v " + program + " >/dev/null"})) == 0;
}

// A private X server for the test, and xdotool to type on it.
class XvfbKeyboard : public testing::Test {
protected:
    void SetUp() override {
        if (!onPath("Xvfb") || !onPath("xdotool"))
            GTEST_SKIP()
                << "Xvfb and xdotool are needed to type on a private X server (scripts/deps installs them)";
        // -displayfd reports the number once the server accepts connections.
        ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
        display = server.display();
        first = std::make_unique<X11KeyboardEvents>(descriptors, display.c_str());
        ASSERT_TRUE(first->connected()) << "cannot connect to Xvfb on " << display;
        (void)setenv("DISPLAY", display.c_str(), 1);  // for xdotool
    }
    void TearDown() override { first.reset(); }
    // An enabled tap on the first client that consumes every key it sees and keeps them in `seen`.
    void startConsumingTap(std::vector<TapEvent>& seen) {
        ASSERT_TRUE(first->createEventTap(TapLocation::session, TapOptions::defaultTap,
                                          [&seen](const TapEvent& event) {
                                              seen.push_back(event);
                                              return TapVerdict::consume;
                                          }));
        first->enableEventTap(true);
    }
    void type(const std::string& keys, const std::string& command = "key") {
        ASSERT_EQ(wait(run({"xdotool", command, "--clearmodifiers", keys})), 0);
        descriptors.pump();
    }

    PrivateXvfb server{{"-noreset"}};
    std::string display;
    PolledDescriptors descriptors;
    std::unique_ptr<X11KeyboardEvents> first;
};

constexpr std::int64_t upDown = (2 << 16) | (0x0A << 8);
constexpr std::int64_t upUp = (2 << 16) | (0x0B << 8);
constexpr std::int64_t downDown = (3 << 16) | (0x0A << 8);

}  // namespace

TEST(HotKeyTranslation, TurnsStoredKeyCodesAndModifiersIntoKeysyms) {
    EXPECT_EQ(translateHotKey(126, 0x1800), (X11HotKey{0xFF52, (1U << 2) | (1U << 3)}));  // Control+Alt+Up
    EXPECT_EQ(translateHotKey(125, 0x300), (X11HotKey{0xFF54, 1U | (1U << 6)}));          // Shift+Super+Down
    EXPECT_EQ(translateHotKey(0x00, 0), (X11HotKey{'a', 0}));
    EXPECT_EQ(translateHotKey(0x1D, 0), (X11HotKey{'0', 0}));
    EXPECT_EQ(translateHotKey(0x7A, 0), (X11HotKey{0xFFBE, 0}));  // F1
    EXPECT_EQ(translateHotKey(0x5A, 0), (X11HotKey{0xFFD1, 0}));  // F20
    EXPECT_EQ(translateHotKey(0x74, 0), (X11HotKey{0xFF55, 0}));  // Page Up
    EXPECT_EQ(translateHotKey(0x0A, 0), std::nullopt);            // a key with no keysym here
    EXPECT_EQ(translateHotKey(4096, 0x1800), std::nullopt);
}

TEST_F(XvfbKeyboard, TheTapGrabsTheBrightnessKeysAndAnotherClientsGrabIsRefused) {
    std::vector<TapEvent> seen;
    startConsumingTap(seen);
    type("XF86MonBrightnessUp");
    ASSERT_EQ(seen.size(), 2U);
    EXPECT_EQ(seen[0].type, KeyboardEventType::systemDefined);
    EXPECT_EQ(seen[0].subtype, 8);
    EXPECT_EQ(seen[0].data1, upDown);
    EXPECT_EQ(seen[1].data1, upUp);

    // The key belongs to the first client now: a second one cannot tap it, but its raw monitor observes.
    X11KeyboardEvents second(descriptors, display.c_str());
    EXPECT_FALSE(second.createEventTap(TapLocation::session, TapOptions::defaultTap,
                                       [](const TapEvent&) { return TapVerdict::consume; }));
    std::vector<SystemDefinedEvent> observed;
    ASSERT_TRUE(second.addGlobalMonitor([&](const SystemDefinedEvent& event) { observed.push_back(event); }));
    type("XF86MonBrightnessDown");
    ASSERT_EQ(observed.size(), 2U);
    EXPECT_EQ(observed[0].data1, downDown);
    EXPECT_EQ(seen.size(), 4U);

    first->invalidateEventTap();
    EXPECT_TRUE(second.createEventTap(TapLocation::session, TapOptions::defaultTap,
                                      [](const TapEvent&) { return TapVerdict::consume; }));
    second.removeGlobalMonitor();
}

TEST_F(XvfbKeyboard, HotKeysAreGrabbedFromTheirStoredFormAndReportTheirIDs) {
    std::vector<std::pair<std::uint32_t, bool>> hotKeys;
    ASSERT_TRUE(first->installHotKeyHandler(
        [&](std::uint32_t id, bool pressed) { hotKeys.emplace_back(id, pressed); }));
    const auto up = first->registerHotKey(126, 0x1800, 1);
    EXPECT_EQ(up.status, 0);
    EXPECT_EQ(first->registerHotKey(0x0A, 0, 2).status, X11KeyboardEvents::noKeysymStatus);
    X11KeyboardEvents second(descriptors, display.c_str());
    EXPECT_EQ(second.registerHotKey(126, 0x1800, 1).status, X11KeyboardEvents::grabRefusedStatus);
    type("ctrl+alt+Up");
    EXPECT_EQ(hotKeys, (std::vector<std::pair<std::uint32_t, bool>>{{1, true}, {1, false}}));
    first->unregisterHotKey(*up.reference);
    type("ctrl+alt+Up");
    EXPECT_EQ(hotKeys.size(), 2U);
    EXPECT_GT(first->keyRepeatInterval().count(), 0);
}

TEST_F(XvfbKeyboard, AServerThatGoesAwayEndsThePathsAndLetsGoOfHeldKeys) {
    std::vector<TapEvent> seen;
    startConsumingTap(seen);
    std::vector<std::pair<std::uint32_t, bool>> hotKeys;
    ASSERT_TRUE(first->installHotKeyHandler(
        [&](std::uint32_t id, bool pressed) { hotKeys.emplace_back(id, pressed); }));
    ASSERT_EQ(first->registerHotKey(126, 0x1800, 1).status, 0);
    type("XF86MonBrightnessUp", "keydown");
    // Held: the server's auto-repeat may add presses, never a release.
    ASSERT_GE(seen.size(), 1U);
    for (const auto& event : seen) EXPECT_EQ(event.data1, upDown);
    const auto pressed = seen.size();

    // Without its own exit handler Xlib would end this test program here.
    server.kill();
    descriptors.pump(3);
    ASSERT_EQ(seen.size(), pressed + 1);
    EXPECT_EQ(seen.back().data1, upUp);
    EXPECT_FALSE(first->connected());
    EXPECT_TRUE(descriptors.entries.empty()) << "the closed socket is still watched";

    // Every X path is absent from now on; nothing is left to call back.
    EXPECT_FALSE(first->createEventTap(TapLocation::session, TapOptions::defaultTap,
                                       [](const TapEvent&) { return TapVerdict::consume; }));
    EXPECT_EQ(first->registerHotKey(126, 0x1800, 1).status, X11KeyboardEvents::grabRefusedStatus);
    EXPECT_FALSE(first->addGlobalMonitor([](const SystemDefinedEvent&) {}));
    EXPECT_EQ(first->keyRepeatDelay(), std::chrono::milliseconds(600));
    EXPECT_EQ(first->keyRepeatInterval(), std::chrono::milliseconds(40));
    first->invalidateEventTap();
    first->removeHotKeyHandler();
    EXPECT_TRUE(hotKeys.empty());
}
