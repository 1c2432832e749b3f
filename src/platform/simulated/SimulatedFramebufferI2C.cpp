#include "platform/simulated/SimulatedFramebufferI2C.h"

#include <algorithm>

namespace lumadesk {

namespace {

// The code of a call about a service that is not a framebuffer.
constexpr IOResult badArgument = static_cast<IOResult>(0xE00002C2);

std::uint8_t sevenBitAddress(std::uint32_t eightBitAddress) {
    return static_cast<std::uint8_t>(eightBitAddress >> 1);
}

// One open bus; a bus without the monitor acknowledges nothing.
class SimulatedI2CConnection final : public I2CConnection {
public:
    SimulatedI2CConnection(std::shared_ptr<SimulatedMonitor> monitor, Sleeper& sleeper,
                           std::shared_ptr<std::atomic<int>> openConnections)
        : m_monitor(std::move(monitor)), m_sleeper(sleeper), m_openConnections(std::move(openConnections)) {
        ++*m_openConnections;
    }
    ~SimulatedI2CConnection() override { --*m_openConnections; }

    IOResult send(I2CRequest& request) override {
        const bool sendsPlainly = request.sendTransactionType == I2CTransactionType::none ||
                                  request.sendTransactionType == I2CTransactionType::simple;
        if (!sendsPlainly) return SimulatedFramebufferI2C::unsupported;
        request.result = transfer(request);
        return ioSuccess;
    }

private:
    // Sub-addresses belong to combined transactions, which these buses do not carry out, so they are not
    // sent.
    IOResult transfer(I2CRequest& request) {
        if (!m_monitor) return SimulatedMonitor::notAcknowledged;
        if (request.sendTransactionType == I2CTransactionType::simple) {
            const IOResult sent = m_monitor->write(sevenBitAddress(request.sendAddress), request.sendBuffer);
            if (sent != ioSuccess) return sent;
        }
        if (request.replyTransactionType == I2CTransactionType::none) return ioSuccess;
        m_sleeper.sleep(request.minReplyDelay);
        return m_monitor->read(sevenBitAddress(request.replyAddress), 0, request.replyBuffer);
    }

    std::shared_ptr<SimulatedMonitor> m_monitor;
    Sleeper& m_sleeper;
    std::shared_ptr<std::atomic<int>> m_openConnections;
};

}  // namespace

SimulatedFramebufferI2C::SimulatedFramebufferI2C(std::vector<SimulatedFramebufferConfig> framebuffers,
                                                 Sleeper& sleeper)
    : m_framebuffers(std::move(framebuffers)), m_sleeper(sleeper) {}

I2CBusCount SimulatedFramebufferI2C::busCount(const RegistryService& framebuffer) {
    const auto* config = SimulatedFramebufferConfig::find(m_framebuffers, framebuffer.entryID());
    if (!config) return {badArgument, 0};
    return {ioSuccess, config->busCount};
}

std::unique_ptr<I2CConnection> SimulatedFramebufferI2C::openBus(const RegistryService& framebuffer,
                                                                std::uint32_t bus) {
    const auto* config = SimulatedFramebufferConfig::find(m_framebuffers, framebuffer.entryID());
    if (!config || bus >= config->busCount) return nullptr;
    const auto& unopenable = config->unopenableBuses;
    if (std::find(unopenable.begin(), unopenable.end(), bus) != unopenable.end()) return nullptr;
    auto monitor = bus == config->monitorBus ? config->monitor : nullptr;
    return std::make_unique<SimulatedI2CConnection>(std::move(monitor), m_sleeper, m_openConnections);
}

}  // namespace lumadesk
