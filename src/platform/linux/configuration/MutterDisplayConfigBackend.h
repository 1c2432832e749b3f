#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/configuration/OutputConfigurationBackend.h"
#include "platform/linux/configuration/SessionBus.h"

namespace lumadesk {

// GNOME on Wayland: Mutter's org.gnome.Mutter.DisplayConfig on the session bus. A change reads the
// current state, builds the new logical-monitor layout from it (closing the gap a disabled monitor
// leaves, reopening it when it comes back) and applies it with the temporary method, which lasts until
// logout and asks the user nothing. A stale serial is re-read and retried once.
class MutterDisplayConfigBackend final : public OutputConfigurationBackend {
public:
    // Connects to the session bus and listens for MonitorsChanged; throws OutputConfigurationError
    // when there is no session bus.
    MutterDisplayConfigBackend();

    std::string name() const override { return "GNOME Mutter DisplayConfig"; }
    bool isSupported() const override { return true; }
    void setChangeHandler(std::function<void()> handler) override { m_changeHandler = std::move(handler); }
    int eventDescriptor() const override;
    void processEvents() override;

    // Where a disabled monitor was, so that enabling it puts it back there.
    struct Placement {
        int x = 0;
        int y = 0;
        double scale = 1;
        std::uint32_t transform = 0;
        std::string modeID;
        bool closedColumn = false;  // the monitors right of it moved left by its width
        bool closedRow = false;     // the monitors below it moved up by its height
        bool primary = false;
        // The mode's size and rate, to find it again when its ID is not known (another process took the
        // monitor off).
        int width = 0;
        int height = 0;
        double refresh = 0;
    };

    std::optional<OutputPlace> placeOf(const OutputIdentity& output) const override;
    void rememberPlace(const OutputIdentity& output, const OutputPlace& place) override;

protected:
    void applyWithin(const std::vector<OutputChange>& changes, const Deadline& deadline) override;

private:
    struct State;
    struct LogicalMonitor;

    State currentState(const Deadline& deadline);
    bool applyOnce(const std::vector<OutputChange>& changes, std::map<std::string, Placement>& saved,
                   const Deadline& deadline);
    bool applyAllowed(const Deadline& deadline);
    static int onMonitorsChanged(sd_bus_message* message, void* self, sd_bus_error* error);

    SessionBus m_bus;
    BusSlot m_signalSlot;
    std::function<void()> m_changeHandler;
    std::map<std::string, Placement> m_saved;  // by connector
    // Places told by rememberPlace(), by the program's connector name, until the monitor comes back.
    std::map<std::string, Placement> m_remembered;
};

}  // namespace lumadesk
