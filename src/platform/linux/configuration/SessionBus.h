#pragma once

#include <systemd/sd-bus.h>

#include <memory>
#include <string>

namespace lumadesk {

struct SessionBusDeleter {
    void operator()(sd_bus* bus) const;
    void operator()(sd_bus_message* message) const;
    void operator()(sd_bus_slot* slot) const;
};

using BusMessage = std::unique_ptr<sd_bus_message, SessionBusDeleter>;
using BusSlot = std::unique_ptr<sd_bus_slot, SessionBusDeleter>;

// Which bus a connection goes to.
enum class BusKind { session, system };

// A private connection to the user's session bus, or to the system bus (sd-bus), closed when destroyed.
class SessionBus {
public:
    // Connects; throws OutputConfigurationError with the reason when there is no such bus.
    explicit SessionBus(BusKind kind = BusKind::session);

    sd_bus* get() const { return m_bus.get(); }
    // Whether a bus name has an owner on the session bus; false when there is no bus.
    static bool nameHasOwner(const std::string& name);

private:
    std::unique_ptr<sd_bus, SessionBusDeleter> m_bus;
};

// The text of a negative sd-bus result code.
std::string busErrorText(int code);

}  // namespace lumadesk
