#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "platform/FramebufferI2C.h"
#include "platform/simulated/SimulatedFramebufferConfig.h"
#include "runtime/Sleeper.h"

namespace lumadesk {

// The I2C buses of simulated framebuffers. Sends go straight to the monitor; replies are read after the
// request's minimum reply delay, slept on the given sleeper.
class SimulatedFramebufferI2C final : public FramebufferI2C {
public:
    // The code of a request with a transaction type the buses do not carry out.
    static constexpr IOResult unsupported = static_cast<IOResult>(0xE00002C7);

    SimulatedFramebufferI2C(std::vector<SimulatedFramebufferConfig> framebuffers, Sleeper& sleeper);

    I2CBusCount busCount(const RegistryService& framebuffer) override;
    std::unique_ptr<I2CConnection> openBus(const RegistryService& framebuffer, std::uint32_t bus) override;

    // Connections opened and not yet closed.
    int openConnections() const { return *m_openConnections; }

private:
    std::vector<SimulatedFramebufferConfig> m_framebuffers;
    Sleeper& m_sleeper;
    std::shared_ptr<std::atomic<int>> m_openConnections = std::make_shared<std::atomic<int>>(0);
};

}  // namespace lumadesk
