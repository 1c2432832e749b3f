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

SessionBus::SessionBus(BusKind kind) {
    sd_bus* bus = nullptr;
    const bool session = kind == BusKind::session;
    if (const int result = session ? sd_bus_open_user(&bus) : sd_bus_open_system(&bus); result < 0)
        throw OutputConfigurationError(std::string("The ") + (session ? "session" : "system") +
                                       " bus is not available: " + busErrorText(result) + ".");
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
