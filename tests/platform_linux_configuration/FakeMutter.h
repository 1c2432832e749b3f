#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform_linux_configuration/FakeBusService.h"

namespace lumadesk {

// Mutter's org.gnome.Mutter.DisplayConfig on the session bus, served from a thread of its own: it
// answers GetCurrentState from its monitors, records every ApplyMonitorsConfig call as text, applies
// it (a new serial, MonitorsChanged) unless told to refuse, and can call a request stale once.
class FakeMutter {
public:
    struct Mode {
        std::string id;
        int width = 0;
        int height = 0;
        bool preferred = false;
    };
    struct Monitor {
        std::string connector;
        std::vector<Mode> modes;
    };
    struct Logical {
        int x = 0;
        int y = 0;
        double scale = 1;
        bool primary = false;
        std::string connector;
        std::string modeID;
    };

    // Takes the service's name on the session bus; ready() is false when there is no session bus or
    // another program owns the name.
    FakeMutter(std::vector<Monitor> monitors, std::vector<Logical> layout);
    FakeMutter(const FakeMutter&) = delete;
    FakeMutter& operator=(const FakeMutter&) = delete;

    bool ready() const { return m_service.ready(); }
    // Releases the name, as a Mutter that went away.
    void vanish();

    std::vector<std::string> applied();  // "serial 1 method 1: 0,0 x1 primary DP-1 1920x1080@60; ..."
    void refuseWith(std::optional<std::string> message);
    void callNextRequestStale();
    void setApplyAllowed(bool allowed);
    // Takes every call and answers none, as a Mutter that hangs.
    void stopAnswering();
    // The method calls it received.
    int calls();
    std::uint32_t serial();

private:
    int onCall(sd_bus_message* message);
    int replyState(sd_bus_message* message);
    int applyConfig(sd_bus_message* message);

    std::vector<Monitor> m_monitors;
    std::vector<Logical> m_layout;
    std::vector<std::string> m_applied;
    std::optional<std::string> m_refusal;
    bool m_stale = false;
    bool m_allowed = true;
    bool m_silent = false;
    int m_calls = 0;
    std::uint32_t m_serial = 1;

    // Last: it serves from a thread of its own, which starts after and stops before the state above.
    FakeBusService m_service;
};

}  // namespace lumadesk
