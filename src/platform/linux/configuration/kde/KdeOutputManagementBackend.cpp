#include "platform/linux/configuration/kde/KdeOutputManagementBackend.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "kde-output-device-v2-client.h"
#include "kde-output-management-v2-client.h"
#include "platform/linux/configuration/OutputConfigurationError.h"
#include "runtime/Base64.h"

namespace lumadesk {

namespace {

// KWin answers a configuration within a modeset; one that takes longer is treated as gone.
constexpr std::chrono::milliseconds callLimit{3000};

OutputConfigurationError refused() {
    return OutputConfigurationError("KDE Plasma did not apply the new display layout.");
}

}  // namespace

struct KdeOutputManagementBackend::Mode {
    kde_output_device_mode_v2* proxy = nullptr;
    int width = 0;
    ~Mode() { kde_output_device_mode_v2_destroy(proxy); }
};

struct KdeOutputManagementBackend::Device {
    KdeOutputManagementBackend* backend = nullptr;
    std::uint32_t global = 0;
    kde_output_device_v2* proxy = nullptr;
    std::string name;
    Data edid;
    bool enabled = false;
    int x = 0;
    int y = 0;
    double scale = 1;
    std::vector<std::unique_ptr<Mode>> modes;
    const Mode* current = nullptr;
    ~Device() { kde_output_device_v2_destroy(proxy); }

    int rightEdge() const {
        return x + (current && scale > 0 ? static_cast<int>(std::lround(current->width / scale)) : 0);
    }
};

// The protocol's C callbacks: each finds its object in the data pointer.
struct KdeOutputManagementBackend::Listeners {
    static Device& device(void* data) { return *static_cast<Device*>(data); }

    static void geometry(void* data, kde_output_device_v2*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                         const char*, const char*, int32_t) {
        device(data).x = x;
        device(data).y = y;
    }
    static void currentMode(void* data, kde_output_device_v2*, kde_output_device_mode_v2* mode) {
        Device& d = device(data);
        for (const auto& candidate : d.modes)
            if (candidate->proxy == mode) d.current = candidate.get();
    }
    static void modeSize(void* data, kde_output_device_mode_v2*, int32_t width, int32_t) {
        static_cast<Mode*>(data)->width = width;
    }
    static void modeIgnored(void*, kde_output_device_mode_v2*) {}
    static void modeRefresh(void*, kde_output_device_mode_v2*, int32_t) {}
    static void modeRemoved(void* data, kde_output_device_mode_v2*) {
        // The device forgets the mode when it is next listed; until then it is only not current.
        static_cast<Mode*>(data)->width = 0;
    }
    static void mode(void* data, kde_output_device_v2*, kde_output_device_mode_v2* proxy) {
        static const kde_output_device_mode_v2_listener modeListener{&modeSize, &modeRefresh, &modeIgnored,
                                                                     &modeRemoved};
        auto mode = std::make_unique<Mode>();
        mode->proxy = proxy;
        kde_output_device_mode_v2_add_listener(proxy, &modeListener, mode.get());
        device(data).modes.push_back(std::move(mode));
    }
    static void done(void* data, kde_output_device_v2*) { device(data).backend->deviceDone(); }
    static void scale(void* data, kde_output_device_v2*, wl_fixed_t factor) {
        device(data).scale = wl_fixed_to_double(factor);
    }
    static void edid(void* data, kde_output_device_v2*, const char* raw) {
        device(data).edid = decodeBase64(raw).value_or(Data{});
    }
    static void enabled(void* data, kde_output_device_v2*, int32_t on) { device(data).enabled = on != 0; }
    static void text(void*, kde_output_device_v2*, const char*) {}
    static void number(void*, kde_output_device_v2*, uint32_t) {}
    static void name(void* data, kde_output_device_v2*, const char* name) { device(data).name = name; }

    static constexpr kde_output_device_v2_listener deviceListener{
        &geometry, &currentMode, &mode,   &done,   &scale,  &edid,   &enabled, &text,
        &text,     &text,        &number, &number, &number, &number, &name};

    static void global(void* data, wl_registry* registry, uint32_t id, const char* interface,
                       uint32_t version) {
        auto* backend = static_cast<KdeOutputManagementBackend*>(data);
        if (std::strcmp(interface, kde_output_device_v2_interface.name) == 0) {
            auto device = std::make_unique<Device>();
            device->backend = backend;
            device->global = id;
            device->proxy = static_cast<kde_output_device_v2*>(
                wl_registry_bind(registry, id, &kde_output_device_v2_interface, std::min(version, 2u)));
            kde_output_device_v2_add_listener(device->proxy, &deviceListener, device.get());
            backend->m_devices.push_back(std::move(device));
        } else if (std::strcmp(interface, kde_output_management_v2_interface.name) == 0) {
            backend->m_management = static_cast<kde_output_management_v2*>(
                wl_registry_bind(registry, id, &kde_output_management_v2_interface, 1));
        }
    }
    static void globalRemove(void* data, wl_registry*, uint32_t id) {
        auto* backend = static_cast<KdeOutputManagementBackend*>(data);
        const auto removed =
            std::erase_if(backend->m_devices, [&](const auto& device) { return device->global == id; });
        if (removed && backend->m_ready && backend->m_changeHandler) backend->m_changeHandler();
    }
    static constexpr wl_registry_listener registryListener{&global, &globalRemove};

    static void syncDone(void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }
    static constexpr wl_callback_listener syncListener{&syncDone};

    enum class Answer { none, applied, failed };
    static void applied(void* data, kde_output_configuration_v2*) {
        *static_cast<Answer*>(data) = Answer::applied;
    }
    static void failed(void* data, kde_output_configuration_v2*) {
        *static_cast<Answer*>(data) = Answer::failed;
    }
    static constexpr kde_output_configuration_v2_listener configurationListener{&applied, &failed};
};

KdeOutputManagementBackend::KdeOutputManagementBackend(wl_display* connection) : m_display(connection) {
    try {
        m_registry = wl_display_get_registry(m_display);
        wl_registry_add_listener(m_registry, &Listeners::registryListener, this);
        // The globals, then each device's state.
        roundTrip({});
        roundTrip({});
        if (!m_management) throw OutputConfigurationError("The compositor offers no KDE output management.");
    } catch (...) {
        disconnect();
        throw;
    }
    m_ready = true;
}

KdeOutputManagementBackend::~KdeOutputManagementBackend() {
    disconnect();
}

void KdeOutputManagementBackend::disconnect() {
    m_devices.clear();
    if (m_management) kde_output_management_v2_destroy(std::exchange(m_management, nullptr));
    if (m_registry) wl_registry_destroy(std::exchange(m_registry, nullptr));
    if (m_display) wl_display_disconnect(std::exchange(m_display, nullptr));
}

std::unique_ptr<KdeOutputManagementBackend> KdeOutputManagementBackend::connect() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return nullptr;
    try {
        return std::make_unique<KdeOutputManagementBackend>(display);
    } catch (const OutputConfigurationError&) {
        return nullptr;
    }
}

int KdeOutputManagementBackend::eventDescriptor() const {
    return wl_display_get_fd(m_display);
}

void KdeOutputManagementBackend::processEvents() {
    if (wl_display_prepare_read(m_display) == 0) {
        pollfd connection{wl_display_get_fd(m_display), POLLIN, 0};
        if (::poll(&connection, 1, 0) > 0) {
            wl_display_read_events(m_display);
        } else {
            wl_display_cancel_read(m_display);
        }
    }
    wl_display_dispatch_pending(m_display);
}

void KdeOutputManagementBackend::deviceDone() {
    if (m_ready && m_changeHandler) m_changeHandler();
}

void KdeOutputManagementBackend::dispatchUntil(const std::function<bool()>& finished,
                                               const Deadline& deadline) {
    const auto end = std::chrono::steady_clock::now() + callTimeout(deadline, callLimit);
    while (!finished()) {
        if (wl_display_dispatch_pending(m_display) < 0 ||
            (wl_display_flush(m_display) < 0 && errno != EAGAIN))
            throw OutputConfigurationError("KDE Plasma's compositor closed the connection.");
        if (finished()) break;
        if (wl_display_prepare_read(m_display) != 0) continue;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd connection{wl_display_get_fd(m_display), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&connection, 1, static_cast<int>(left.count())) <= 0) {
            wl_display_cancel_read(m_display);
            if (std::chrono::steady_clock::now() >= end)
                throw OutputConfigurationError("KDE Plasma's compositor did not answer in time.");
            continue;
        }
        if (wl_display_read_events(m_display) < 0)
            throw OutputConfigurationError("KDE Plasma's compositor closed the connection.");
    }
}

void KdeOutputManagementBackend::roundTrip(const Deadline& deadline) {
    bool done = false;
    wl_callback* callback = wl_display_sync(m_display);
    wl_callback_add_listener(callback, &Listeners::syncListener, &done);
    try {
        dispatchUntil([&] { return done; }, deadline);
    } catch (...) {
        wl_callback_destroy(callback);
        throw;
    }
    wl_callback_destroy(callback);
}

std::optional<OutputPlace> KdeOutputManagementBackend::placeOf(const OutputIdentity& output) const {
    return placeFor(m_places, output.connector);
}

void KdeOutputManagementBackend::rememberPlace(const OutputIdentity& output, const OutputPlace& place) {
    m_places[output.connector] = place;
}

void KdeOutputManagementBackend::applyWithin(const std::vector<OutputChange>& changes,
                                             const Deadline& deadline) {
    roundTrip(deadline);
    std::vector<OutputCandidate> candidates;
    for (const auto& device : m_devices) candidates.push_back({device->name, device->edid});
    std::vector<std::pair<Device*, bool>> wanted;
    std::map<const Device*, std::string> connectors;  // the program's name of each device changed
    for (const OutputChange& change : changes) {
        const auto index = findOutput(change.output, candidates);
        if (!index)
            throw OutputConfigurationError("KDE Plasma shows no display " + change.output.connector + ".");
        Device* device = m_devices[*index].get();
        if (device->enabled != change.enabled) wanted.emplace_back(device, change.enabled);
        connectors[device] = change.output.connector;
    }
    std::size_t enabled = 0;
    int rightEdge = 0;
    for (const auto& device : m_devices) {
        const auto change = std::find_if(wanted.begin(), wanted.end(),
                                         [&](const auto& w) { return w.first == device.get(); });
        enabled += change == wanted.end() ? device->enabled : change->second;
        if (device->enabled) rightEdge = std::max(rightEdge, device->rightEdge());
    }
    requireAnEnabledOutput(enabled);
    if (wanted.empty()) return;

    Listeners::Answer answer = Listeners::Answer::none;
    const std::unique_ptr<kde_output_configuration_v2, void (*)(kde_output_configuration_v2*)> configuration(
        kde_output_management_v2_create_configuration(m_management), &kde_output_configuration_v2_destroy);
    kde_output_configuration_v2_add_listener(configuration.get(), &Listeners::configurationListener, &answer);
    std::map<const Device*, OutputPlace> before;
    for (const auto& [device, on] : wanted) {
        kde_output_configuration_v2_enable(configuration.get(), device->proxy, on ? 1 : 0);
        if (!on) {
            before[device] = {device->x, device->y, device->current ? device->current->width : 0,
                              0,         0,         device->scale,
                              0,         false};
            continue;
        }
        // Where another process recorded it; KWin itself remembers where this process took it off;
        // an output never seen on goes right of the others.
        if (const auto place = m_places.find(connectors[device]); place != m_places.end())
            kde_output_configuration_v2_position(configuration.get(), device->proxy, place->second.x,
                                                 place->second.y);
        else if (!m_disabledHere.contains(device->name))
            kde_output_configuration_v2_position(configuration.get(), device->proxy, rightEdge, 0);
    }
    kde_output_configuration_v2_apply(configuration.get());
    dispatchUntil([&] { return answer != Listeners::Answer::none; }, deadline);
    if (answer == Listeners::Answer::failed) throw refused();
    // The devices' new state follows the answer.
    roundTrip(deadline);
    for (const auto& [device, on] : wanted) {
        if (device->enabled != on) throw refused();
        if (on) {
            m_disabledHere.erase(device->name);
            m_places.erase(connectors[device]);
        } else {
            m_disabledHere.insert(device->name);
            m_places[connectors[device]] = before[device];
        }
    }
}

}  // namespace lumadesk
