#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/AVServiceBus.h"
#include "platform/simulated/SimulatedMonitor.h"

namespace lumadesk {

// One simulated AV service and the monitor at the other end of its link (none: nothing answers).
struct SimulatedAVServiceConfig {
    std::uint32_t handleNumber = 0;
    std::string registryPath{};
    std::shared_ptr<SimulatedMonitor> monitor{};
};

// AV services whose I2C side channels lead to simulated monitors. Safe to use from any thread.
class SimulatedAVServiceBus final : public AVServiceBus {
public:
    explicit SimulatedAVServiceBus(std::vector<SimulatedAVServiceConfig> services);

    std::vector<AVServiceEntry> services() override;
    std::shared_ptr<AVService> openService(std::uint32_t handleNumber) override;

    // Attaches or detaches the service, as plugging and unplugging its display does; a detached service
    // is neither listed nor opened. Every service starts attached.
    void setAttached(std::uint32_t handleNumber, bool attached);

private:
    bool isAttached(std::uint32_t handleNumber) const;

    std::vector<SimulatedAVServiceConfig> m_services;
    mutable std::mutex m_mutex;
    std::set<std::uint32_t> m_detachedHandles;  // guarded by m_mutex
};

}  // namespace lumadesk
