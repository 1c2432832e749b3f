#pragma once

#include <cstdint>
#include <memory>
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

// AV services whose I2C side channels lead to simulated monitors.
class SimulatedAVServiceBus final : public AVServiceBus {
public:
    explicit SimulatedAVServiceBus(std::vector<SimulatedAVServiceConfig> services);

    std::vector<AVServiceEntry> services() override;
    std::shared_ptr<AVService> openService(std::uint32_t handleNumber) override;

private:
    std::vector<SimulatedAVServiceConfig> m_services;
};

}  // namespace lumadesk
