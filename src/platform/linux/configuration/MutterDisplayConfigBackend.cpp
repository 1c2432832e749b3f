#include "platform/linux/configuration/MutterDisplayConfigBackend.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

namespace {

constexpr char service[] = "org.gnome.Mutter.DisplayConfig";
constexpr char objectPath[] = "/org/gnome/Mutter/DisplayConfig";
constexpr std::uint32_t temporaryMethod = 1;
// Mutter answers within a modeset; a service that takes longer than this is treated as gone.
constexpr std::chrono::milliseconds callLimit{3000};

// The timeout of one call in sd-bus's microseconds.
std::uint64_t microsecondsFor(const Deadline& deadline) {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(callTimeout(deadline, callLimit)).count());
}

// An sd-bus error freed at the end of the scope.
struct BusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    ~BusError() { sd_bus_error_free(&error); }
    std::string text() const {
        return error.message ? error.message : (error.name ? error.name : "no answer");
    }
};

// Throws the "service not there" error for a failed read of a reply.
void check(int result) {
    if (result < 0)
        throw OutputConfigurationError(
            "GNOME's display configuration answered in a form this program does not read (" +
            busErrorText(result) + ").");
}

OutputConfigurationError unreachable(const BusError& error) {
    return OutputConfigurationError("GNOME's display configuration service did not answer: " + error.text());
}

// Reads a{sv} and returns the booleans among it.
std::map<std::string, bool> readFlags(sd_bus_message* message) {
    std::map<std::string, bool> flags;
    check(sd_bus_message_enter_container(message, 'a', "{sv}"));
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* key = nullptr;
        check(sd_bus_message_read(message, "s", &key));
        const std::string name = key;
        if (sd_bus_message_enter_container(message, 'v', "b") > 0) {
            int value = 0;
            check(sd_bus_message_read(message, "b", &value));
            flags[name] = value != 0;
            check(sd_bus_message_exit_container(message));
        } else {
            check(sd_bus_message_skip(message, "v"));
        }
        check(sd_bus_message_exit_container(message));
    }
    check(sd_bus_message_exit_container(message));
    return flags;
}

}  // namespace

struct MutterDisplayConfigBackend::LogicalMonitor {
    int x = 0;
    int y = 0;
    double scale = 1;
    std::uint32_t transform = 0;
    bool primary = false;
    std::vector<std::pair<std::string, std::string>> monitors;  // connector, mode ID
    int width = 0;                                              // in layout coordinates
    int height = 0;
};

struct MutterDisplayConfigBackend::State {
    struct Mode {
        std::string id;
        int width = 0;
        int height = 0;
        double refresh = 0;
        bool current = false;
        bool preferred = false;
    };
    std::uint32_t serial = 0;
    std::map<std::string, std::vector<Mode>> modes;  // by connector
    std::vector<std::string> connectors;             // in Mutter's order
    std::vector<LogicalMonitor> logical;
    bool physicalLayout = false;  // layout-mode 2: logical monitors measure in pixels, not scaled

    const Mode* mode(const std::string& connector, const std::string& id) const {
        const auto& list = modes.at(connector);
        const auto found = std::find_if(list.begin(), list.end(), [&](const Mode& m) { return m.id == id; });
        return found == list.end() ? nullptr : &*found;
    }
    // The size a monitor takes in the layout with this mode, scale and transform.
    std::pair<int, int> extent(const Mode& mode, double scale, std::uint32_t transform) const {
        const double divisor = physicalLayout ? 1 : scale;
        const int width = static_cast<int>(std::lround(mode.width / divisor));
        const int height = static_cast<int>(std::lround(mode.height / divisor));
        return transform % 2 == 1 ? std::pair{height, width} : std::pair{width, height};
    }
};

namespace {

// The monitor's mode of the place: the one it had, else one of the same size at the nearest rate.
template <typename State, typename Placement>
const typename State::Mode* modeFor(const State& state, const std::string& connector,
                                    const Placement& place) {
    if (const auto* mode = state.mode(connector, place.modeID)) return mode;
    const typename State::Mode* nearest = nullptr;
    for (const auto& mode : state.modes.at(connector))
        if (mode.width == place.width && mode.height == place.height &&
            (!nearest || std::abs(mode.refresh - place.refresh) < std::abs(nearest->refresh - place.refresh)))
            nearest = &mode;
    return nearest;
}

}  // namespace

std::optional<OutputPlace> MutterDisplayConfigBackend::placeOf(const OutputIdentity& output) const {
    for (const auto& [connector, place] : m_saved)
        if (outputNameMatches(output.connector, connector))
            return OutputPlace{place.x,
                               place.y,
                               place.width,
                               place.height,
                               place.refresh,
                               place.scale,
                               static_cast<int>(place.transform),
                               place.primary};
    return std::nullopt;
}

void MutterDisplayConfigBackend::rememberPlace(const OutputIdentity& output, const OutputPlace& place) {
    m_remembered[output.connector] = {
        place.x,     place.y,      place.scale,  static_cast<std::uint32_t>(place.transform),
        {},          false,        false,        place.primary,
        place.width, place.height, place.refresh};
}

MutterDisplayConfigBackend::MutterDisplayConfigBackend() {
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(m_bus.get(), &slot, service, objectPath, service, "MonitorsChanged",
                            &onMonitorsChanged, this) >= 0)
        m_signalSlot.reset(slot);
}

int MutterDisplayConfigBackend::eventDescriptor() const {
    return sd_bus_get_fd(m_bus.get());
}

void MutterDisplayConfigBackend::processEvents() {
    while (sd_bus_process(m_bus.get(), nullptr) > 0) {
    }
}

int MutterDisplayConfigBackend::onMonitorsChanged(sd_bus_message*, void* self, sd_bus_error*) {
    auto* backend = static_cast<MutterDisplayConfigBackend*>(self);
    if (backend->m_changeHandler) backend->m_changeHandler();
    return 0;
}

bool MutterDisplayConfigBackend::applyAllowed(const Deadline& deadline) {
    BusError error;
    int allowed = 0;
    // Property reads take the connection's timeout; sd-bus's own would be 25 s.
    sd_bus_set_method_call_timeout(m_bus.get(), microsecondsFor(deadline));
    if (sd_bus_get_property_trivial(m_bus.get(), service, objectPath, service, "ApplyMonitorsConfigAllowed",
                                    &error.error, 'b', &allowed) < 0)
        throw unreachable(error);
    return allowed != 0;
}

MutterDisplayConfigBackend::State MutterDisplayConfigBackend::currentState(const Deadline& deadline) {
    BusError error;
    sd_bus_set_method_call_timeout(m_bus.get(), microsecondsFor(deadline));
    sd_bus_message* raw = nullptr;
    if (sd_bus_call_method(m_bus.get(), service, objectPath, service, "GetCurrentState", &error.error, &raw,
                           "") < 0)
        throw unreachable(error);
    const BusMessage reply(raw);
    sd_bus_message* m = reply.get();
    State state;
    check(sd_bus_message_read(m, "u", &state.serial));
    check(sd_bus_message_enter_container(m, 'a', "((ssss)a(siiddada{sv})a{sv})"));
    while (sd_bus_message_enter_container(m, 'r', "(ssss)a(siiddada{sv})a{sv}") > 0) {
        const char *connector = nullptr, *vendor = nullptr, *product = nullptr, *serial = nullptr;
        check(sd_bus_message_read(m, "(ssss)", &connector, &vendor, &product, &serial));
        std::vector<State::Mode>& modes = state.modes[connector];
        state.connectors.push_back(connector);
        check(sd_bus_message_enter_container(m, 'a', "(siiddada{sv})"));
        while (sd_bus_message_enter_container(m, 'r', "siiddada{sv}") > 0) {
            const char* id = nullptr;
            State::Mode mode;
            double refresh = 0, preferredScale = 0;
            check(sd_bus_message_read(m, "siidd", &id, &mode.width, &mode.height, &refresh, &preferredScale));
            mode.id = id;
            mode.refresh = refresh;
            check(sd_bus_message_skip(m, "ad"));
            const auto flags = readFlags(m);
            mode.current = flags.contains("is-current") && flags.at("is-current");
            mode.preferred = flags.contains("is-preferred") && flags.at("is-preferred");
            modes.push_back(mode);
            check(sd_bus_message_exit_container(m));
        }
        check(sd_bus_message_exit_container(m));
        check(sd_bus_message_skip(m, "a{sv}"));
        check(sd_bus_message_exit_container(m));
    }
    check(sd_bus_message_exit_container(m));
    check(sd_bus_message_enter_container(m, 'a', "(iiduba(ssss)a{sv})"));
    while (sd_bus_message_enter_container(m, 'r', "iiduba(ssss)a{sv}") > 0) {
        LogicalMonitor logical;
        int primary = 0;
        check(sd_bus_message_read(m, "iidub", &logical.x, &logical.y, &logical.scale, &logical.transform,
                                  &primary));
        logical.primary = primary != 0;
        check(sd_bus_message_enter_container(m, 'a', "(ssss)"));
        const char *connector = nullptr, *vendor = nullptr, *product = nullptr, *serial = nullptr;
        while (sd_bus_message_read(m, "(ssss)", &connector, &vendor, &product, &serial) > 0) {
            const auto& modes = state.modes[connector];
            const auto current =
                std::find_if(modes.begin(), modes.end(), [](const State::Mode& x) { return x.current; });
            if (current != modes.end()) logical.monitors.emplace_back(connector, current->id);
        }
        check(sd_bus_message_exit_container(m));
        check(sd_bus_message_skip(m, "a{sv}"));
        check(sd_bus_message_exit_container(m));
        if (!logical.monitors.empty()) state.logical.push_back(std::move(logical));
    }
    check(sd_bus_message_exit_container(m));
    // layout-mode is a u; read it by hand from the properties.
    check(sd_bus_message_enter_container(m, 'a', "{sv}"));
    while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
        const char* key = nullptr;
        check(sd_bus_message_read(m, "s", &key));
        std::uint32_t layoutMode = 0;
        if (std::string(key) == "layout-mode" && sd_bus_message_enter_container(m, 'v', "u") > 0) {
            check(sd_bus_message_read(m, "u", &layoutMode));
            state.physicalLayout = layoutMode == 2;
            check(sd_bus_message_exit_container(m));
        } else {
            check(sd_bus_message_skip(m, "v"));
        }
        check(sd_bus_message_exit_container(m));
    }
    for (LogicalMonitor& logical : state.logical) {
        const State::Mode* mode = state.mode(logical.monitors.front().first, logical.monitors.front().second);
        std::tie(logical.width, logical.height) = state.extent(*mode, logical.scale, logical.transform);
    }
    return state;
}

void MutterDisplayConfigBackend::applyWithin(const std::vector<OutputChange>& changes,
                                             const Deadline& deadline) {
    if (!applyAllowed(deadline))
        throw OutputConfigurationError("GNOME does not allow changing the display layout at the moment.");
    std::map<std::string, Placement> saved = m_saved;
    if (!applyOnce(changes, saved, deadline)) {
        // Another client changed the layout between our read and our request: read it again, once.
        saved = m_saved;
        if (!applyOnce(changes, saved, deadline))
            throw OutputConfigurationError("GNOME's display layout kept changing; try again.");
    }
    m_saved = std::move(saved);
}

bool MutterDisplayConfigBackend::applyOnce(const std::vector<OutputChange>& changes,
                                           std::map<std::string, Placement>& saved,
                                           const Deadline& deadline) {
    State state = currentState(deadline);
    std::vector<OutputCandidate> candidates;
    for (const std::string& connector : state.connectors) candidates.push_back({connector, {}});
    std::vector<LogicalMonitor>& layout = state.logical;
    const auto showing = [&](const std::string& connector) {
        return std::find_if(layout.begin(), layout.end(), [&](const LogicalMonitor& logical) {
            return std::any_of(logical.monitors.begin(), logical.monitors.end(),
                               [&](const auto& monitor) { return monitor.first == connector; });
        });
    };

    for (const OutputChange& change : changes) {
        const auto index = findOutput(change.output, candidates);
        if (!index) throw OutputConfigurationError("GNOME shows no display " + change.output.connector + ".");
        const std::string& connector = state.connectors[*index];
        const auto logical = showing(connector);
        if ((logical != layout.end()) == change.enabled) continue;
        if (!change.enabled) {
            Placement placement{logical->x, logical->y, logical->scale, logical->transform,
                                {},         false,      false,          logical->primary};
            for (const auto& monitor : logical->monitors)
                if (monitor.first == connector) placement.modeID = monitor.second;
            if (const State::Mode* mode = state.mode(connector, placement.modeID)) {
                placement.width = mode->width;
                placement.height = mode->height;
                placement.refresh = mode->refresh;
            }
            std::erase_if(logical->monitors, [&](const auto& monitor) { return monitor.first == connector; });
            if (logical->monitors.empty()) {
                const LogicalMonitor gone = *logical;
                layout.erase(logical);
                // Mutter wants the monitors to touch: close the column or row the monitor leaves empty.
                const auto overlaps = [](int a, int aLength, int b, int bLength) {
                    return a < b + bLength && b < a + aLength;
                };
                placement.closedColumn =
                    std::none_of(layout.begin(), layout.end(), [&](const LogicalMonitor& other) {
                        return overlaps(other.x, other.width, gone.x, gone.width);
                    });
                placement.closedRow =
                    !placement.closedColumn &&
                    std::none_of(layout.begin(), layout.end(), [&](const LogicalMonitor& other) {
                        return overlaps(other.y, other.height, gone.y, gone.height);
                    });
                for (LogicalMonitor& other : layout) {
                    if (placement.closedColumn && other.x >= gone.x + gone.width) other.x -= gone.width;
                    if (placement.closedRow && other.y >= gone.y + gone.height) other.y -= gone.height;
                }
                if (gone.primary && !layout.empty()) layout.front().primary = true;
            }
            saved[connector] = placement;
            continue;
        }
        const auto& modes = state.modes.at(connector);
        if (modes.empty()) throw OutputConfigurationError(connector + " offers no display mode.");
        const auto preferred =
            std::find_if(modes.begin(), modes.end(), [](const State::Mode& mode) { return mode.preferred; });
        LogicalMonitor back{0, 0, 1, 0, layout.empty(), {}, 0, 0};
        auto place = saved.find(connector);
        if (place == saved.end()) {
            // Taken off by another process: the place it recorded.
            for (const auto& [name, remembered] : m_remembered)
                if (outputNameMatches(name, connector)) place = saved.emplace(connector, remembered).first;
        }
        const State::Mode* mode = place == saved.end() ? nullptr : modeFor(state, connector, place->second);
        if (mode) {
            back.x = place->second.x;
            back.y = place->second.y;
            back.scale = place->second.scale;
            back.transform = place->second.transform;
            std::tie(back.width, back.height) = state.extent(*mode, back.scale, back.transform);
            // The column it left was closed (by this process or another): open it again, moving the
            // monitors that now stand there to the right, as they were.
            const bool taken = std::any_of(layout.begin(), layout.end(), [&](const LogicalMonitor& other) {
                return other.x < back.x + back.width && back.x < other.x + other.width &&
                       other.y < back.y + back.height && back.y < other.y + other.height;
            });
            const bool reopenColumn = place->second.closedColumn || (taken && !place->second.closedRow);
            for (LogicalMonitor& other : layout) {
                if (reopenColumn && other.x >= back.x) other.x += back.width;
                if (place->second.closedRow && other.y >= back.y) other.y += back.height;
            }
            if (place->second.primary) {
                for (LogicalMonitor& other : layout) other.primary = false;
                back.primary = true;
            }
        } else {
            mode = preferred != modes.end() ? &*preferred : &modes.front();
            for (const LogicalMonitor& other : layout) back.x = std::max(back.x, other.x + other.width);
            std::tie(back.width, back.height) = state.extent(*mode, back.scale, back.transform);
        }
        back.monitors.emplace_back(connector, mode->id);
        layout.push_back(back);
        saved.erase(connector);
        std::erase_if(m_remembered,
                      [&](const auto& remembered) { return outputNameMatches(remembered.first, connector); });
    }
    std::size_t enabled = 0;
    for (const LogicalMonitor& logical : layout) enabled += logical.monitors.size();
    requireAnEnabledOutput(enabled);

    sd_bus_message* raw = nullptr;
    check(sd_bus_message_new_method_call(m_bus.get(), &raw, service, objectPath, service,
                                         "ApplyMonitorsConfig"));
    const BusMessage call(raw);
    sd_bus_message* m = call.get();
    check(sd_bus_message_append(m, "uu", state.serial, temporaryMethod));
    check(sd_bus_message_open_container(m, 'a', "(iiduba(ssa{sv}))"));
    for (const LogicalMonitor& logical : layout) {
        check(sd_bus_message_open_container(m, 'r', "iiduba(ssa{sv})"));
        check(sd_bus_message_append(m, "iidub", logical.x, logical.y, logical.scale, logical.transform,
                                    static_cast<int>(logical.primary)));
        check(sd_bus_message_open_container(m, 'a', "(ssa{sv})"));
        for (const auto& [connector, modeID] : logical.monitors)
            check(sd_bus_message_append(m, "(ssa{sv})", connector.c_str(), modeID.c_str(), 0));
        check(sd_bus_message_close_container(m));
        check(sd_bus_message_close_container(m));
    }
    check(sd_bus_message_close_container(m));
    check(sd_bus_message_append(m, "a{sv}", 0));
    BusError error;
    sd_bus_message* reply = nullptr;
    if (sd_bus_call(m_bus.get(), m, microsecondsFor(deadline), &error.error, &reply) >= 0) {
        sd_bus_message_unref(reply);
        return true;
    }
    if (error.text().find("stale") != std::string::npos) return false;
    if (!error.error.name ||
        std::string(error.error.name).starts_with("org.freedesktop.DBus.Error.NoReply") ||
        std::string(error.error.name).starts_with("org.freedesktop.DBus.Error.Timeout") ||
        std::string(error.error.name).starts_with("org.freedesktop.DBus.Error.ServiceUnknown") ||
        std::string(error.error.name).starts_with("org.freedesktop.DBus.Error.NameHasNoOwner"))
        throw unreachable(error);
    throw OutputConfigurationError("GNOME refused the new display layout: " + error.text());
}

}  // namespace lumadesk
