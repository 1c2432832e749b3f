#include "platform/simulated/SimulatedDisplayRegistry.h"

#include <algorithm>

namespace lumadesk {

SimulatedDisplayRegistry::SimulatedDisplayRegistry(std::vector<SimulatedFramebufferConfig> framebuffers)
    : m_framebuffers(std::move(framebuffers)) {}

RegistryService SimulatedDisplayRegistry::serviceForUnitNumber(std::uint32_t unitNumber) {
    const bool exists = std::any_of(m_framebuffers.begin(), m_framebuffers.end(),
                                    [&](const auto& config) { return config.unitNumber == unitNumber; });
    if (!exists || !isAttached(unitNumber)) return {};
    ++*m_outstandingServices;
    return RegistryService(SimulatedFramebufferConfig::entryID(unitNumber),
                           [outstanding = m_outstandingServices] { --*outstanding; });
}

DisplayProductNames SimulatedDisplayRegistry::productNames(const RegistryService& service) {
    const auto* config = SimulatedFramebufferConfig::find(m_framebuffers, service.entryID());
    if (!config) return {};
    if (!std::holds_alternative<std::monostate>(config->productNames)) return config->productNames;
    if (!config->monitor || !config->monitor->config().productName) return {};
    return std::vector<LocalizedName>{{"en_US", *config->monitor->config().productName}};
}

std::optional<std::vector<std::uint8_t>> SimulatedDisplayRegistry::edid(const RegistryService& service) {
    const auto* config = SimulatedFramebufferConfig::find(m_framebuffers, service.entryID());
    if (!config || !config->monitor || !config->publishesEDID) return std::nullopt;
    const auto& edid = config->monitor->edid();
    return std::vector<std::uint8_t>(edid.begin(), edid.end());
}

void SimulatedDisplayRegistry::setAttached(std::uint32_t unitNumber, bool attached) {
    std::lock_guard lock(m_mutex);
    if (attached) {
        m_detachedUnits.erase(unitNumber);
    } else {
        m_detachedUnits.insert(unitNumber);
    }
}

bool SimulatedDisplayRegistry::isAttached(std::uint32_t unitNumber) const {
    std::lock_guard lock(m_mutex);
    return !m_detachedUnits.contains(unitNumber);
}

std::vector<std::uint64_t> SimulatedDisplayRegistry::framebufferI2CTransactionTypes() {
    std::vector<std::uint64_t> types;
    for (const auto& config : m_framebuffers)
        types.insert(types.end(), config.busCount, config.transactionTypes);
    return types;
}

}  // namespace lumadesk
