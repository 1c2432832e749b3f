#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct wl_client;
struct wl_display;
struct wl_global;
struct wl_resource;

namespace lumadesk {

// KWin's side of the output-management protocol, served with libwayland-server from a thread of its
// own: it announces its outputs as kde_output_device_v2 (one mode each), records every configuration
// request as text and applies a configuration unless told to refuse it.
class FakeKWin {
public:
    struct Output {
        std::string name;
        int x = 0;
        int width = 0;
        bool enabled = true;
        std::vector<std::uint8_t> edid;
    };

    // Offers output management unless told not to.
    explicit FakeKWin(std::vector<Output> outputs, bool offersManagement = true);
    ~FakeKWin();
    FakeKWin(const FakeKWin&) = delete;
    FakeKWin& operator=(const FakeKWin&) = delete;

    // A client connection to it (for the backend to take over).
    wl_display* connect();
    // "enable DP-2 0", "position HDMI-A-1 4480,0", "apply", one per request.
    std::vector<std::string> requests();
    std::vector<Output> outputs();
    void refuseNextConfiguration();
    // Turns an output on or off as if the user did, telling every client.
    void setEnabled(const std::string& name, bool enabled);

    struct Device;
    struct Configuration;

private:
    static void bindDevice(wl_client* client, void* data, std::uint32_t version, std::uint32_t id);
    static void bindManagement(wl_client* client, void* data, std::uint32_t version, std::uint32_t id);
    static void createConfiguration(wl_client* client, wl_resource* resource, std::uint32_t id);
    void sendState(Device& device, wl_resource* resource, bool withModes);
    void serve();

    std::mutex m_mutex;
    wl_display* m_display = nullptr;
    std::list<Device> m_devices;
    std::list<Configuration> m_configurations;
    std::vector<std::string> m_requests;
    bool m_refuseNext = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace lumadesk
