#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/configuration/OutputConfigurationBackend.h"

struct wl_display;
struct wl_registry;
struct kde_output_management_v2;

namespace lumadesk {

// KDE Plasma on Wayland through KWin's own output-management protocol (kde_output_device_v2 for the
// outputs, kde_output_management_v2 for a configuration KWin applies all at once and answers with
// applied or failed). KWin remembers an output's mode and place, so enabling one this program disabled
// needs no more; one never seen on is placed right of the outputs that are on.
class KdeOutputManagementBackend final : public OutputConfigurationBackend {
public:
    // Takes over a connection of its own to the compositor and reads its outputs; throws
    // OutputConfigurationError when the compositor offers no output management.
    explicit KdeOutputManagementBackend(wl_display* connection);
    ~KdeOutputManagementBackend() override;

    // The session's compositor through this protocol; none where it does not offer it (then
    // kscreen-doctor serves).
    static std::unique_ptr<KdeOutputManagementBackend> connect();

    std::string name() const override { return "KDE Plasma output management"; }
    bool isSupported() const override { return true; }
    void setChangeHandler(std::function<void()> handler) override { m_changeHandler = std::move(handler); }
    int eventDescriptor() const override;
    std::optional<OutputPlace> placeOf(const OutputIdentity& output) const override;
    void rememberPlace(const OutputIdentity& output, const OutputPlace& place) override;
    void processEvents() override;

    struct Device;
    struct Mode;

protected:
    void applyWithin(const std::vector<OutputChange>& changes, const Deadline& deadline) override;

private:
    struct Listeners;

    // Dispatches the compositor's events until finished() holds; throws when the time is up or the
    // connection broke.
    void dispatchUntil(const std::function<bool()>& finished, const Deadline& deadline);
    // Waits until the compositor has handled everything sent before.
    void roundTrip(const Deadline& deadline);
    void deviceDone();
    // Lets go of every object and the connection.
    void disconnect();

    wl_display* m_display;
    wl_registry* m_registry = nullptr;
    kde_output_management_v2* m_management = nullptr;
    std::vector<std::unique_ptr<Device>> m_devices;
    std::set<std::string> m_disabledHere;  // outputs this program turned off, which KWin remembers
    // By the program's connector name: where the outputs turned off were (KWin tells position and scale;
    // it keeps their modes itself), and where another process recorded them (rememberPlace()).
    OutputPlacesByConnector m_places;
    std::function<void()> m_changeHandler;
    bool m_ready = false;
};

}  // namespace lumadesk
