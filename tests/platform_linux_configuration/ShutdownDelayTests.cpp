#include "platform/linux/configuration/ShutdownDelay.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform_linux_configuration/FakeBusService.h"

namespace lumadesk {
namespace {

constexpr char manager[] = "org.freedesktop.login1.Manager";
constexpr char objectPath[] = "/org/freedesktop/login1";

// logind's manager on the private session bus: it grants delay locks (the write end of a pipe whose
// read end it keeps, so that it sees when the lock is let go) and announces shutdowns.
class FakeLogind {
public:
    FakeLogind()
        : m_service("org.freedesktop.login1", objectPath,
                    [this](sd_bus_message* message) { return onCall(message); }) {}

    bool ready() const { return m_service.ready(); }
    std::vector<std::string> inhibitions() {
        const std::lock_guard lock(m_service.mutex());
        return m_inhibitions;
    }
    // Whether the last lock granted is still held by anyone.
    bool lockHeld() {
        const std::lock_guard lock(m_service.mutex());
        pollfd reader{m_readEnd.get(), POLLIN, 0};
        return m_readEnd.isOpen() && ::poll(&reader, 1, 0) == 0;
    }
    void announceShutdown(bool starting) {
        const std::lock_guard lock(m_service.mutex());
        sd_bus_emit_signal(m_service.bus(), objectPath, manager, "PrepareForShutdown", "b", int(starting));
        sd_bus_flush(m_service.bus());
    }

private:
    int onCall(sd_bus_message* message) {
        if (!sd_bus_message_is_method_call(message, manager, "Inhibit")) return 0;
        const char *what = nullptr, *who = nullptr, *why = nullptr, *mode = nullptr;
        sd_bus_message_read(message, "ssss", &what, &who, &why, &mode);
        m_inhibitions.push_back(std::string(what) + " | " + who + " | " + why + " | " + mode);
        int ends[2] = {-1, -1};
        if (::pipe2(ends, O_CLOEXEC) != 0) return -errno;
        m_readEnd = FileDescriptor(ends[0]);
        const FileDescriptor writeEnd(ends[1]);
        return sd_bus_reply_method_return(message, "h", writeEnd.get());
    }

    std::vector<std::string> m_inhibitions;
    FileDescriptor m_readEnd;
    FakeBusService m_service;
};

// Handles what reaches the delay's bus until the condition holds; a bounded wait for messages that are
// already on their way.
template <typename Condition>
void processUntil(ShutdownDelay& delay, Condition condition) {
    for (int round = 0; round < 50 && !condition(); ++round) {
        pollfd bus{delay.eventDescriptor(), POLLIN, 0};
        ::poll(&bus, 1, 100);
        delay.processEvents();
    }
}

TEST(ShutdownDelayTest, HoldsTheShutdownUntilTheDisplaysAreBackAndTakesTheLockAgainWhenItIsCalledOff) {
    FakeLogind logind;
    if (!logind.ready())
        GTEST_SKIP() << "No private session bus with a free logind name (run under dbus-run-session).";
    int restores = 0;
    bool heldWhileRestoring = false;
    ShutdownDelay delay(SessionBus(), [&] {
        ++restores;
        heldWhileRestoring = logind.lockHeld();
    });
    const std::string lock =
        "shutdown | Lumadesk | Putting back the displays it took off the desktop | delay";
    EXPECT_EQ(logind.inhibitions(), std::vector<std::string>{lock});
    EXPECT_TRUE(delay.holdsLock());
    EXPECT_TRUE(logind.lockHeld());

    // A called-off notice while the lock is held changes nothing; the shutdown then restores first and
    // lets go of the lock after.
    logind.announceShutdown(false);
    logind.announceShutdown(true);
    processUntil(delay, [&] { return restores > 0; });
    EXPECT_EQ(restores, 1);
    EXPECT_TRUE(heldWhileRestoring);
    EXPECT_FALSE(delay.holdsLock());
    EXPECT_FALSE(logind.lockHeld());
    EXPECT_EQ(logind.inhibitions().size(), 1u);

    // Called off after all: the next shutdown waits again.
    logind.announceShutdown(false);
    processUntil(delay, [&] { return delay.holdsLock(); });
    EXPECT_EQ(logind.inhibitions(), (std::vector<std::string>{lock, lock}));
    EXPECT_TRUE(logind.lockHeld());
    EXPECT_EQ(restores, 1);
}

TEST(ShutdownDelayTest, WithoutLogindThereIsNoDelayAndTheReasonIsTold) {
    try {
        ShutdownDelay delay(SessionBus(), [] {});
        FAIL() << "a delay without logind";
    } catch (const OutputConfigurationError& error) {
        const std::string text = error.what();
        EXPECT_TRUE(text.starts_with("logind did not grant a shutdown delay: ") ||
                    text.starts_with("The session bus is not available"))
            << text;
    }
}

}  // namespace
}  // namespace lumadesk
