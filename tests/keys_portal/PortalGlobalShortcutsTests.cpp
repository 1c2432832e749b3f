#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/keys/PortalGlobalShortcuts.h"
#include "platform/linux/keys/X11KeyboardEvents.h"
#include "support/PolledDescriptors.h"

using namespace lumadesk;

namespace {

constexpr char service[] = "org.freedesktop.portal.Desktop";
constexpr char objectPath[] = "/org/freedesktop/portal/desktop";
constexpr char shortcutsInterface[] = "org.freedesktop.portal.GlobalShortcuts";

// The portal's GlobalShortcuts on the session bus, served from a thread of its own: it opens sessions,
// records each BindShortcuts request as text and answers every request through its Request object's
// Response signal, as the portal does. Without `offerShortcuts` it owns the name but not the interface.
class FakePortal {
public:
    explicit FakePortal(bool offerShortcuts = true) {
        sd_bus* bus = nullptr;
        if (sd_bus_open_user(&bus) < 0) return;
        m_bus.reset(bus);
        if (sd_bus_request_name(bus, service, 0) < 0) return;
        if (offerShortcuts) {
            sd_bus_slot* slot = nullptr;
            if (sd_bus_add_object_vtable(bus, &slot, objectPath, shortcutsInterface, vtable, this) < 0) return;
            m_object.reset(slot);
        }
        m_ready = true;
        m_thread = std::thread([this] {
            while (!m_stop) {
                {
                    const std::lock_guard lock(m_mutex);
                    if (sd_bus_process(m_bus.get(), nullptr) > 0) continue;
                }
                sd_bus_wait(m_bus.get(), 20'000);
            }
        });
    }
    ~FakePortal() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }

    bool ready() const { return m_ready; }
    std::vector<std::vector<std::string>> bound() {
        const std::lock_guard lock(m_mutex);
        return m_bound;
    }
    std::string session() {
        const std::lock_guard lock(m_mutex);
        return m_session;
    }
    // Emits Activated or Deactivated of a shortcut in a session.
    void press(const std::string& session, const std::string& shortcut, bool activated) {
        const std::lock_guard lock(m_mutex);
        sd_bus_emit_signal(m_bus.get(), objectPath, shortcutsInterface, activated ? "Activated" : "Deactivated",
                           "osta{sv}", session.c_str(), shortcut.c_str(), std::uint64_t{1}, 0);
        sd_bus_flush(m_bus.get());
    }

private:
    static std::string handleToken(sd_bus_message* message) {
        std::string token;
        sd_bus_message_enter_container(message, 'a', "{sv}");
        while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
            const char* key = nullptr;
            sd_bus_message_read(message, "s", &key);
            const char* value = nullptr;
            if (std::string(key) == "handle_token" && sd_bus_message_read(message, "v", "s", &value) >= 0) {
                token = value;
            } else {
                sd_bus_message_skip(message, "v");
            }
            sd_bus_message_exit_container(message);
        }
        sd_bus_message_exit_container(message);
        return token;
    }
    // Replies with the Request object's path, then answers on it.
    static int answer(sd_bus_message* call, const std::string& token, const std::string& session) {
        std::string sender = sd_bus_message_get_sender(call) + 1;
        std::ranges::replace(sender, '.', '_');
        const std::string request = std::string(objectPath) + "/request/" + sender + "/" + token;
        const int result = sd_bus_reply_method_return(call, "o", request.c_str());
        sd_bus* bus = sd_bus_message_get_bus(call);
        if (session.empty())
            sd_bus_emit_signal(bus, request.c_str(), "org.freedesktop.portal.Request", "Response", "ua{sv}", 0U, 0);
        else
            sd_bus_emit_signal(bus, request.c_str(), "org.freedesktop.portal.Request", "Response", "ua{sv}", 0U, 1,
                               "session_handle", "s", session.c_str());
        return result;
    }
    static int version(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                       sd_bus_error*) {
        return sd_bus_message_append(reply, "u", 1U);
    }
    static int createSession(sd_bus_message* call, void* self, sd_bus_error*) {
        auto* fake = static_cast<FakePortal*>(self);
        fake->m_session = std::string(objectPath) + "/session/" + std::to_string(++fake->m_sessions);
        return answer(call, handleToken(call), fake->m_session);
    }
    static int bindShortcuts(sd_bus_message* call, void* self, sd_bus_error*) {
        auto* fake = static_cast<FakePortal*>(self);
        const char* session = nullptr;
        sd_bus_message_read(call, "o", &session);
        std::vector<std::string> shortcuts;
        sd_bus_message_enter_container(call, 'a', "(sa{sv})");
        while (sd_bus_message_enter_container(call, 'r', "sa{sv}") > 0) {
            const char* id = nullptr;
            sd_bus_message_read(call, "s", &id);
            std::string text = std::string(session) + " " + id + ":";
            sd_bus_message_enter_container(call, 'a', "{sv}");
            while (sd_bus_message_enter_container(call, 'e', "sv") > 0) {
                const char* key = nullptr;
                const char* value = nullptr;
                sd_bus_message_read(call, "s", &key);
                sd_bus_message_read(call, "v", "s", &value);
                text += std::string(" ") + key + "=" + value;
                sd_bus_message_exit_container(call);
            }
            sd_bus_message_exit_container(call);
            sd_bus_message_exit_container(call);
            shortcuts.push_back(text);
        }
        sd_bus_message_exit_container(call);
        const char* parent = nullptr;
        sd_bus_message_read(call, "s", &parent);
        fake->m_bound.push_back(shortcuts);
        return answer(call, handleToken(call), "");
    }

    static constexpr sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("version", "u", version, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_METHOD("CreateSession", "a{sv}", "o", createSession, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("BindShortcuts", "oa(sa{sv})sa{sv}", "o", bindShortcuts, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_SIGNAL("Activated", "osta{sv}", 0),
        SD_BUS_SIGNAL("Deactivated", "osta{sv}", 0),
        SD_BUS_VTABLE_END};

    std::mutex m_mutex;
    std::unique_ptr<sd_bus, SessionBusDeleter> m_bus;
    BusSlot m_object;
    bool m_ready = false;
    std::string m_session;
    int m_sessions = 0;
    std::vector<std::vector<std::string>> m_bound;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Pumps the client's descriptors until the condition holds or two seconds passed.
template <typename Condition>
bool until(PolledDescriptors& descriptors, Condition condition) {
    for (int round = 0; round < 100 && !condition(); ++round) descriptors.pump(1, 20);
    return condition();
}

using Presses = std::vector<std::pair<std::uint32_t, bool>>;

}  // namespace

TEST(PortalShortcutTriggers, StoredShortcutsBecomeThePortalsTriggerTexts) {
    EXPECT_EQ(PortalGlobalShortcuts::triggerOf(126, 0x1800), "CTRL+ALT+Up");
    EXPECT_EQ(PortalGlobalShortcuts::triggerOf(125, 0x300), "SHIFT+LOGO+Down");
    EXPECT_EQ(PortalGlobalShortcuts::triggerOf(0x7A, 0), "F1");
    EXPECT_EQ(PortalGlobalShortcuts::triggerOf(0x0A, 0x1000), std::nullopt);
}

TEST(PortalShortcuts, BothShortcutsAreBoundInOneRequestAndTheirSignalsArePresses) {
    FakePortal portal;
    if (!portal.ready()) GTEST_SKIP() << "No private session bus with a free portal name (run under dbus-run-session).";
    PolledDescriptors descriptors;
    std::vector<std::string> log;
    PortalGlobalShortcuts shortcuts(descriptors, [&](const std::string& line) { log.push_back(line); });
    ASSERT_TRUE(shortcuts.available());

    // Through the keyboard seam of a session without X, as the key handler registers them.
    X11KeyboardEvents keyboard(descriptors, nullptr, false, nullptr, &shortcuts);
    Presses presses;
    ASSERT_TRUE(keyboard.installHotKeyHandler([&](std::uint32_t id, bool pressed) { presses.emplace_back(id, pressed); }));
    const auto up = keyboard.registerHotKey(126, 0x1800, 1);
    const auto down = keyboard.registerHotKey(0x0A, 0x1000, 2);  // no key for it: the user picks one
    ASSERT_EQ(up.status, 0);
    ASSERT_EQ(down.status, 0);
    ASSERT_TRUE(until(descriptors, [&] { return !portal.bound().empty(); }));
    const auto session = portal.session();
    EXPECT_EQ(portal.bound(), (std::vector<std::vector<std::string>>{
                                  {session + " brightness-up: description=Raise the brightness of the monitors "
                                             "preferred_trigger=CTRL+ALT+Up",
                                   session + " brightness-down: description=Lower the brightness of the monitors"}}));

    portal.press(session, "brightness-up", true);
    portal.press("/org/freedesktop/portal/desktop/session/other", "brightness-down", true);  // not ours
    portal.press(session, "brightness-up", false);
    portal.press(session, "brightness-down", true);
    ASSERT_TRUE(until(descriptors, [&] { return presses.size() >= 3; }));
    descriptors.pump(2, 20);
    EXPECT_EQ(presses, (Presses{{1, true}, {1, false}, {2, true}}));

    // A reload unregisters and registers both again: one new request in the same session.
    keyboard.unregisterHotKey(*up.reference);
    keyboard.unregisterHotKey(*down.reference);
    ASSERT_EQ(keyboard.registerHotKey(125, 0x1800, 1).status, 0);
    ASSERT_EQ(keyboard.registerHotKey(126, 0x1800, 2).status, 0);
    ASSERT_TRUE(until(descriptors, [&] { return portal.bound().size() == 2; }));
    descriptors.pump(2, 20);
    ASSERT_EQ(portal.bound().size(), 2U);
    EXPECT_EQ(portal.bound()[1].size(), 2U);
    EXPECT_NE(portal.bound()[1][0].find(session + " brightness-up:"), std::string::npos);
    EXPECT_NE(portal.bound()[1][0].find("preferred_trigger=CTRL+ALT+Down"), std::string::npos);
    EXPECT_TRUE(log.empty()) << log.front();
}

TEST(PortalShortcuts, APortalWithoutTheInterfaceOrNoPortalIsOneLineAndNoShortcuts) {
    for (const bool namePresent : {true, false}) {
        std::optional<FakePortal> portal;
        if (namePresent) {
            portal.emplace(false);
            if (!portal->ready()) GTEST_SKIP() << "No private session bus with a free portal name (run under dbus-run-session).";
        }
        PolledDescriptors descriptors;
        std::vector<std::string> log;
        PortalGlobalShortcuts shortcuts(descriptors, [&](const std::string& line) { log.push_back(line); });
        EXPECT_FALSE(shortcuts.available());
        ASSERT_EQ(log.size(), 1U);
        EXPECT_TRUE(log[0].starts_with("lumadesk: the custom brightness shortcuts are not available: the desktop "
                                       "portal offers no global shortcuts here ("))
            << log[0];
        X11KeyboardEvents keyboard(descriptors, nullptr, false, nullptr, &shortcuts);
        EXPECT_FALSE(keyboard.installHotKeyHandler([](std::uint32_t, bool) {}));
        EXPECT_EQ(keyboard.registerHotKey(126, 0x1800, 1).status, X11KeyboardEvents::grabRefusedStatus);
        EXPECT_EQ(shortcuts.registerShortcut(126, 0x1800, 1).status, PortalGlobalShortcuts::unavailableStatus);
        EXPECT_TRUE(descriptors.entries.empty());
        EXPECT_EQ(log.size(), 1U);
    }
}
