#include "platform/linux/configuration/SessionBus.h"

#include <cstring>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

void SessionBusDeleter::operator()(sd_bus* bus) const {
    sd_bus_flush_close_unref(bus);
}
void SessionBusDeleter::operator()(sd_bus_message* message) const {
    sd_bus_message_unref(message);
}
void SessionBusDeleter::operator()(sd_bus_slot* slot) const {
    sd_bus_slot_unref(slot);
}

SessionBus::SessionBus() {
    sd_bus* bus = nullptr;
    if (const int result = sd_bus_open_user(&bus); result < 0)
        throw OutputConfigurationError("The session bus is not available: " + busErrorText(result) + ".");
    m_bus.reset(bus);
}

bool SessionBus::nameHasOwner(const std::string& name) {
    try {
        const SessionBus bus;
        return sd_bus_get_name_creds(bus.get(), name.c_str(), 0, nullptr) >= 0;
    } catch (const OutputConfigurationError&) {
        return false;
    }
}

std::string busErrorText(int code) {
    return std::strerror(-code);
}

}  // namespace lumadesk
