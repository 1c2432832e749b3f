#include "platform_linux_configuration/FakeKWin.h"

#include <poll.h>
#include <sys/socket.h>
#include <wayland-client.h>
#include <wayland-server.h>

#include <algorithm>

#include "kde-output-device-v2-server.h"
#include "kde-output-management-v2-server.h"
#include "runtime/Base64.h"

namespace lumadesk {

struct FakeKWin::Device {
    FakeKWin* kwin = nullptr;
    Output output;
    wl_global* global = nullptr;
    std::vector<wl_resource*> resources;
};

struct FakeKWin::Configuration {
    FakeKWin* kwin = nullptr;
    std::vector<std::pair<Device*, bool>> enables;
    std::vector<std::pair<Device*, int>> positions;
};

namespace {

FakeKWin::Device& deviceOf(wl_resource* resource) {
    return *static_cast<FakeKWin::Device*>(wl_resource_get_user_data(resource));
}
FakeKWin::Configuration& configurationOf(wl_resource* resource) {
    return *static_cast<FakeKWin::Configuration*>(wl_resource_get_user_data(resource));
}

}  // namespace

FakeKWin::FakeKWin(std::vector<Output> outputs, bool offersManagement) {
    m_display = wl_display_create();
    for (Output& output : outputs) {
        Device& device = m_devices.emplace_back();
        device.kwin = this;
        device.output = std::move(output);
        device.global = wl_global_create(m_display, &kde_output_device_v2_interface, 2, &device, &bindDevice);
    }
    if (offersManagement)
        wl_global_create(m_display, &kde_output_management_v2_interface, 1, this, &bindManagement);
    m_thread = std::thread([this] { serve(); });
}

FakeKWin::~FakeKWin() {
    m_stop = true;
    m_thread.join();
    wl_display_destroy_clients(m_display);
    wl_display_destroy(m_display);
}

wl_display* FakeKWin::connect() {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return nullptr;
    {
        const std::lock_guard lock(m_mutex);
        wl_client_create(m_display, ends[0]);
    }
    return wl_display_connect_to_fd(ends[1]);
}

void FakeKWin::serve() {
    wl_event_loop* loop = wl_display_get_event_loop(m_display);
    while (!m_stop) {
        {
            const std::lock_guard lock(m_mutex);
            wl_event_loop_dispatch(loop, 0);
            wl_display_flush_clients(m_display);
        }
        pollfd events{wl_event_loop_get_fd(loop), POLLIN, 0};
        ::poll(&events, 1, 20);
    }
}

std::vector<std::string> FakeKWin::requests() {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<FakeKWin::Output> FakeKWin::outputs() {
    const std::lock_guard lock(m_mutex);
    std::vector<Output> outputs;
    for (const Device& device : m_devices) outputs.push_back(device.output);
    return outputs;
}

void FakeKWin::refuseNextConfiguration() {
    const std::lock_guard lock(m_mutex);
    m_refuseNext = true;
}

void FakeKWin::setEnabled(const std::string& name, bool enabled) {
    const std::lock_guard lock(m_mutex);
    for (Device& device : m_devices) {
        if (device.output.name != name) continue;
        device.output.enabled = enabled;
        for (wl_resource* resource : device.resources) sendState(device, resource, false);
    }
}

void FakeKWin::sendState(Device& device, wl_resource* resource, bool withModes) {
    const Output& output = device.output;
    kde_output_device_v2_send_geometry(resource, output.x, 0, 600, 340, 0, "Dell Inc.", "DELL U2415", 0);
    if (withModes) {
        wl_resource* mode =
            wl_resource_create(wl_resource_get_client(resource), &kde_output_device_mode_v2_interface, 1, 0);
        kde_output_device_v2_send_mode(resource, mode);
        kde_output_device_mode_v2_send_size(mode, output.width, 1080);
        kde_output_device_mode_v2_send_refresh(mode, 60000);
        kde_output_device_mode_v2_send_preferred(mode);
        kde_output_device_v2_send_current_mode(resource, mode);
        kde_output_device_v2_send_scale(resource, wl_fixed_from_int(1));
        kde_output_device_v2_send_edid(resource, encodeBase64(output.edid).c_str());
        kde_output_device_v2_send_uuid(resource, output.name.c_str());
        kde_output_device_v2_send_name(resource, output.name.c_str());
    }
    kde_output_device_v2_send_enabled(resource, output.enabled ? 1 : 0);
    kde_output_device_v2_send_done(resource);
}

void FakeKWin::bindDevice(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    auto& device = *static_cast<Device*>(data);
    wl_resource* resource =
        wl_resource_create(client, &kde_output_device_v2_interface, static_cast<int>(version), id);
    wl_resource_set_implementation(resource, nullptr, &device,
                                   [](wl_resource* gone) { std::erase(deviceOf(gone).resources, gone); });
    device.resources.push_back(resource);
    device.kwin->sendState(device, resource, true);
}

void FakeKWin::bindManagement(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    static const struct kde_output_management_v2_interface management { &createConfiguration };
    wl_resource* resource =
        wl_resource_create(client, &kde_output_management_v2_interface, static_cast<int>(version), id);
    wl_resource_set_implementation(resource, &management, data, nullptr);
}

void FakeKWin::createConfiguration(wl_client* client, wl_resource* resource, std::uint32_t id) {
    // The requests the backend never sends have no handler.
    static const struct kde_output_configuration_v2_interface requests {
        .enable =
            [](wl_client*, wl_resource* configuration, wl_resource* device, int32_t enable) {
                Configuration& c = configurationOf(configuration);
                c.kwin->m_requests.push_back("enable " + deviceOf(device).output.name + " " +
                                             std::to_string(enable));
                c.enables.emplace_back(&deviceOf(device), enable != 0);
            },
        .mode = nullptr, .transform = nullptr,
        .position =
            [](wl_client*, wl_resource* configuration, wl_resource* device, int32_t x, int32_t y) {
                Configuration& c = configurationOf(configuration);
                c.kwin->m_requests.push_back("position " + deviceOf(device).output.name + " " +
                                             std::to_string(x) + "," + std::to_string(y));
                c.positions.emplace_back(&deviceOf(device), x);
            },
        .scale = nullptr,
        .apply =
            [](wl_client*, wl_resource* configuration) {
                Configuration& c = configurationOf(configuration);
                FakeKWin& kwin = *c.kwin;
                kwin.m_requests.push_back("apply");
                if (std::exchange(kwin.m_refuseNext, false)) {
                    kde_output_configuration_v2_send_failed(configuration);
                    return;
                }
                for (auto& [device, on] : c.enables) device->output.enabled = on;
                for (auto& [device, x] : c.positions) device->output.x = x;
                for (auto& [device, on] : c.enables)
                    for (wl_resource* r : device->resources) kwin.sendState(*device, r, false);
                kde_output_configuration_v2_send_applied(configuration);
            },
        .destroy = [](wl_client*, wl_resource* configuration) { wl_resource_destroy(configuration); },
        .overscan = nullptr, .set_vrr_policy = nullptr, .set_rgb_range = nullptr,
        .set_primary_output = nullptr, .set_priority = nullptr,
    };
    auto* kwin = static_cast<FakeKWin*>(wl_resource_get_user_data(resource));
    wl_resource* configuration = wl_resource_create(client, &kde_output_configuration_v2_interface,
                                                    wl_resource_get_version(resource), id);
    wl_resource_set_implementation(
        configuration, &requests, &kwin->m_configurations.emplace_back(Configuration{kwin, {}, {}}), nullptr);
}

}  // namespace lumadesk
