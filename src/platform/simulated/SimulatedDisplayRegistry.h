#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "platform/DisplayRegistry.h"
#include "platform/simulated/SimulatedFramebufferConfig.h"

namespace lumadesk {

// The registry view of simulated framebuffers: one service per display unit, the monitor's product name
// and EDID on it, and the transaction types of every bus.
class SimulatedDisplayRegistry final : public DisplayRegistry {
public:
    explicit SimulatedDisplayRegistry(std::vector<SimulatedFramebufferConfig> framebuffers);

    RegistryService serviceForUnitNumber(std::uint32_t unitNumber) override;
    DisplayProductNames productNames(const RegistryService& service) override;
    std::optional<std::vector<std::uint8_t>> edid(const RegistryService& service) override;
    std::vector<std::uint64_t> framebufferI2CTransactionTypes() override;

    // Services handed out and not yet released.
    int outstandingServices() const { return *m_outstandingServices; }

private:
    std::vector<SimulatedFramebufferConfig> m_framebuffers;
    std::shared_ptr<std::atomic<int>> m_outstandingServices = std::make_shared<std::atomic<int>>(0);
};

}  // namespace lumadesk
