#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/DisplayRegistry.h"
#include "platform/simulated/SimulatedFramebufferConfig.h"

namespace lumadesk {

// The registry view of simulated framebuffers: one service per attached display unit, the product names
// and the monitor's EDID on it, and the transaction types of every bus. Safe to use from any thread.
class SimulatedDisplayRegistry final : public DisplayRegistry {
public:
    explicit SimulatedDisplayRegistry(std::vector<SimulatedFramebufferConfig> framebuffers);

    RegistryService serviceForUnitNumber(std::uint32_t unitNumber) override;
    DisplayProductNames productNames(const RegistryService& service) override;
    std::optional<std::vector<std::uint8_t>> edid(const RegistryService& service) override;
    std::vector<std::uint64_t> framebufferI2CTransactionTypes() override;

    // Services handed out and not yet released.
    int outstandingServices() const { return *m_outstandingServices; }
    // Attaches or detaches the framebuffer of the unit, as plugging and unplugging its display does; a
    // detached unit has no service. Every unit starts attached.
    void setAttached(std::uint32_t unitNumber, bool attached);

private:
    bool isAttached(std::uint32_t unitNumber) const;

    std::vector<SimulatedFramebufferConfig> m_framebuffers;
    mutable std::mutex m_mutex;
    std::set<std::uint32_t> m_detachedUnits;  // guarded by m_mutex
    std::shared_ptr<std::atomic<int>> m_outstandingServices = std::make_shared<std::atomic<int>>(0);
};

}  // namespace lumadesk
