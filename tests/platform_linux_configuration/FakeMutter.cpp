#include "platform_linux_configuration/FakeMutter.h"

#include <algorithm>
#include <utility>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

namespace {
constexpr char service[] = "org.gnome.Mutter.DisplayConfig";
constexpr char objectPath[] = "/org/gnome/Mutter/DisplayConfig";
}  // namespace

FakeMutter::FakeMutter(std::vector<Monitor> monitors, std::vector<Logical> layout)
    : m_monitors(std::move(monitors)),
      m_layout(std::move(layout)),
      m_service(service, objectPath, [this](sd_bus_message* message) { return onCall(message); }) {}

void FakeMutter::vanish() {
    m_service.vanish();
}

std::vector<std::string> FakeMutter::applied() {
    const std::lock_guard lock(m_service.mutex());
    return m_applied;
}

void FakeMutter::refuseWith(std::optional<std::string> message) {
    const std::lock_guard lock(m_service.mutex());
    m_refusal = std::move(message);
}

void FakeMutter::callNextRequestStale() {
    const std::lock_guard lock(m_service.mutex());
    m_stale = true;
}

void FakeMutter::setApplyAllowed(bool allowed) {
    const std::lock_guard lock(m_service.mutex());
    m_allowed = allowed;
}

void FakeMutter::stopAnswering() {
    const std::lock_guard lock(m_service.mutex());
    m_silent = true;
}

int FakeMutter::calls() {
    const std::lock_guard lock(m_service.mutex());
    return m_calls;
}

std::uint32_t FakeMutter::serial() {
    const std::lock_guard lock(m_service.mutex());
    return m_serial;
}

int FakeMutter::onCall(sd_bus_message* message) {
    ++m_calls;
    // Handled, never answered: the caller's timeout is all that ends its wait.
    if (m_silent) return 1;
    if (sd_bus_message_is_method_call(message, service, "GetCurrentState")) return replyState(message);
    if (sd_bus_message_is_method_call(message, service, "ApplyMonitorsConfig")) return applyConfig(message);
    if (sd_bus_message_is_method_call(message, "org.freedesktop.DBus.Properties", "Get"))
        return sd_bus_reply_method_return(message, "v", "b", static_cast<int>(m_allowed));
    return 0;
}

int FakeMutter::replyState(sd_bus_message* call) {
    sd_bus_message* raw = nullptr;
    sd_bus_message_new_method_return(call, &raw);
    const BusMessage reply(raw);
    sd_bus_message* m = reply.get();
    sd_bus_message_append(m, "u", m_serial);
    sd_bus_message_open_container(m, 'a', "((ssss)a(siiddada{sv})a{sv})");
    for (const Monitor& monitor : m_monitors) {
        const auto logical = std::find_if(m_layout.begin(), m_layout.end(),
                                          [&](const Logical& l) { return l.connector == monitor.connector; });
        sd_bus_message_open_container(m, 'r', "(ssss)a(siiddada{sv})a{sv}");
        sd_bus_message_append(m, "(ssss)", monitor.connector.c_str(), "DEL", "DELL U2415", "ABC123");
        sd_bus_message_open_container(m, 'a', "(siiddada{sv})");
        for (const Mode& mode : monitor.modes) {
            const bool current = logical != m_layout.end() && logical->modeID == mode.id;
            sd_bus_message_append(m, "(siiddada{sv})", mode.id.c_str(), mode.width, mode.height, 60.0, 1.0, 2,
                                  1.0, 2.0, 3, "is-current", "b", static_cast<int>(current), "is-preferred",
                                  "b", static_cast<int>(mode.preferred), "is-interlaced", "b", 0);
        }
        sd_bus_message_close_container(m);
        sd_bus_message_append(m, "a{sv}", 1, "display-name", "s", "Dell 24\"");
        sd_bus_message_close_container(m);
    }
    sd_bus_message_close_container(m);
    sd_bus_message_open_container(m, 'a', "(iiduba(ssss)a{sv})");
    for (const Logical& logical : m_layout)
        sd_bus_message_append(m, "(iiduba(ssss)a{sv})", logical.x, logical.y, logical.scale, 0u,
                              static_cast<int>(logical.primary), 1, logical.connector.c_str(), "DEL",
                              "DELL U2415", "ABC123", 0);
    sd_bus_message_close_container(m);
    sd_bus_message_append(m, "a{sv}", 2, "layout-mode", "u", 1u, "supports-mirroring", "b", 1);
    return sd_bus_send(nullptr, m, nullptr);
}

int FakeMutter::applyConfig(sd_bus_message* m) {
    std::uint32_t serial = 0, method = 0;
    sd_bus_message_read(m, "uu", &serial, &method);
    std::string text = "serial " + std::to_string(serial) + " method " + std::to_string(method) + ":";
    std::vector<Logical> layout;
    sd_bus_message_enter_container(m, 'a', "(iiduba(ssa{sv}))");
    while (sd_bus_message_enter_container(m, 'r', "iiduba(ssa{sv})") > 0) {
        Logical logical;
        std::uint32_t transform = 0;
        int primary = 0;
        sd_bus_message_read(m, "iidub", &logical.x, &logical.y, &logical.scale, &transform, &primary);
        logical.primary = primary != 0;
        sd_bus_message_enter_container(m, 'a', "(ssa{sv})");
        const char *connector = nullptr, *mode = nullptr;
        while (sd_bus_message_enter_container(m, 'r', "ssa{sv}") > 0) {
            sd_bus_message_read(m, "ss", &connector, &mode);
            sd_bus_message_skip(m, "a{sv}");
            sd_bus_message_exit_container(m);
            logical.connector = connector;
            logical.modeID = mode;
            text += std::string(" ") + std::to_string(logical.x) + "," + std::to_string(logical.y) +
                    (logical.primary ? " primary " : " ") + connector + " " + mode + ";";
        }
        sd_bus_message_exit_container(m);
        sd_bus_message_exit_container(m);
        layout.push_back(logical);
    }
    m_applied.push_back(text);
    if (std::exchange(m_stale, false) || serial != m_serial)
        return sd_bus_reply_method_errorf(m, "org.freedesktop.DBus.Error.AccessDenied",
                                          "The requested configuration is based on stale information");
    if (m_refusal)
        return sd_bus_reply_method_errorf(m, "org.freedesktop.DBus.Error.InvalidArgs", "%s",
                                          m_refusal->c_str());
    m_layout = std::move(layout);
    ++m_serial;
    sd_bus_emit_signal(m_service.bus(), objectPath, service, "MonitorsChanged", "");
    return sd_bus_reply_method_return(m, "");
}

}  // namespace lumadesk
