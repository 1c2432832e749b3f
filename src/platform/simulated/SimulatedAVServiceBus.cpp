#include "platform/simulated/SimulatedAVServiceBus.h"

#include <algorithm>

namespace lumadesk {

namespace {

// The I2C channel of one link: each call is one transfer on the wire.
class SimulatedAVService final : public AVService {
public:
    explicit SimulatedAVService(std::shared_ptr<SimulatedMonitor> monitor) : m_monitor(std::move(monitor)) {}

    IOResult readI2C(std::uint8_t chipAddress, std::uint8_t offset, std::span<std::uint8_t> buffer) override {
        if (!m_monitor) return SimulatedMonitor::notAcknowledged;
        return m_monitor->read(chipAddress, offset, buffer);
    }

    IOResult writeI2C(std::uint8_t chipAddress, std::uint8_t dataAddress,
                      std::span<const std::uint8_t> buffer) override {
        if (!m_monitor) return SimulatedMonitor::notAcknowledged;
        std::vector<std::uint8_t> wire{dataAddress};
        wire.insert(wire.end(), buffer.begin(), buffer.end());
        return m_monitor->write(chipAddress, wire);
    }

private:
    std::shared_ptr<SimulatedMonitor> m_monitor;
};

}  // namespace

SimulatedAVServiceBus::SimulatedAVServiceBus(std::vector<SimulatedAVServiceConfig> services)
    : m_services(std::move(services)) {}

std::vector<AVServiceEntry> SimulatedAVServiceBus::services() {
    std::vector<AVServiceEntry> entries;
    for (const auto& service : m_services) {
        if (isAttached(service.handleNumber)) entries.push_back({service.handleNumber, service.registryPath});
    }
    return entries;
}

std::shared_ptr<AVService> SimulatedAVServiceBus::openService(std::uint32_t handleNumber) {
    const auto found = std::find_if(m_services.begin(), m_services.end(), [&](const auto& service) {
        return service.handleNumber == handleNumber;
    });
    if (found == m_services.end() || !isAttached(handleNumber)) return nullptr;
    return std::make_shared<SimulatedAVService>(found->monitor);
}

void SimulatedAVServiceBus::setAttached(std::uint32_t handleNumber, bool attached) {
    std::lock_guard lock(m_mutex);
    if (attached) {
        m_detachedHandles.erase(handleNumber);
    } else {
        m_detachedHandles.insert(handleNumber);
    }
}

bool SimulatedAVServiceBus::isAttached(std::uint32_t handleNumber) const {
    std::lock_guard lock(m_mutex);
    return !m_detachedHandles.contains(handleNumber);
}

}  // namespace lumadesk
