#include "platform_linux_configuration/FakeBusService.h"

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

FakeBusService::FakeBusService(const char* name, const char* objectPath, Handler handler)
    : m_name(name), m_handler(std::move(handler)) {
    try {
        m_bus = std::make_unique<SessionBus>();
    } catch (const OutputConfigurationError&) {
        return;
    }
    if (sd_bus_request_name(m_bus->get(), name, 0) < 0) return;
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_object(m_bus->get(), &slot, objectPath, &onMessage, this) < 0) return;
    m_object.reset(slot);
    m_ready = true;
    m_thread = std::thread([this] { serve(); });
}

FakeBusService::~FakeBusService() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

int FakeBusService::onMessage(sd_bus_message* message, void* self, sd_bus_error*) {
    return static_cast<FakeBusService*>(self)->m_handler(message);
}

void FakeBusService::serve() {
    while (!m_stop) {
        {
            const std::lock_guard lock(m_mutex);
            if (sd_bus_process(m_bus->get(), nullptr) > 0) continue;
        }
        // Wakes at least every 20 ms to see whether the test is done.
        sd_bus_wait(m_bus->get(), 20'000);
    }
}

void FakeBusService::vanish() {
    const std::lock_guard lock(m_mutex);
    sd_bus_release_name(m_bus->get(), m_name.c_str());
    m_object.reset();
}

}  // namespace lumadesk
