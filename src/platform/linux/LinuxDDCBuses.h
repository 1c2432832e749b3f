#pragma once

#include <map>
#include <mutex>

#include "platform/AVServiceBus.h"
#include "platform/FramebufferI2C.h"
#include "platform/linux/LinuxDisplayDirectory.h"

namespace lumadesk {

// The DDC buses of the connected external monitors, offered as both I2C seams: each bus is an AV
// service (its handle is the bus number) and the one I2C bus of its connector's framebuffer. Only buses
// the directory found for a connector are ever opened. A DDC/CI reply is read no sooner than
// `replyWait` after its request, since monitors commonly refuse a read that comes sooner than about
// 40 ms. A monitor that refuses every attempt of a transaction is reported as not speaking DDC/CI, or,
// when its EDID reads fine, as having DDC/CI switched off in its menu.
class LinuxDDCBuses final : public AVServiceBus, public FramebufferI2C {
public:
    static constexpr Duration replyWait = std::chrono::milliseconds(50);
    // Refused transfers in a row after which the monitor is taken not to speak DDC/CI at all.
    static constexpr int refusalsBeforeReport = 5;

    LinuxDDCBuses(LinuxDisplayDirectory& directory, I2CDevice& device, DDCProblems& problems)
        : m_directory(directory), m_device(device), m_problems(problems) {}

    // One service per bus, named so that the service bridge pairs identical monitors port by port.
    std::vector<AVServiceEntry> services() override;
    std::shared_ptr<AVService> openService(std::uint32_t handleNumber) override;

    I2CBusCount busCount(const RegistryService& framebuffer) override;
    std::unique_ptr<I2CConnection> openBus(const RegistryService& framebuffer, std::uint32_t bus) override;

    // One transfer on a DDC bus, counting the monitor's refusals at 0x37.
    IOResult transfer(unsigned bus, std::uint8_t chipAddress, std::span<const std::uint8_t> bytes,
                      Duration waitBeforeRead, std::span<std::uint8_t> reply);
    // An exchange with a chip of a DDC bus under the node's lock, each step counted like a transfer.
    std::unique_ptr<AVServiceExchange> openExchange(unsigned bus, std::uint8_t chipAddress, IOResult& result);
    // Counts a step's outcome at 0x37: five refusals in a row report the monitor as not answering, or,
    // when its EDID reads fine over the same bus, as having DDC/CI switched off; the result, unchanged.
    IOResult countOutcome(unsigned bus, std::uint8_t chipAddress, IOResult result);

    // The service path of a connector's bus: the bridge pairs identical monitors so that the lowest unit
    // gets the port name that sorts last, so the port name sorts in the opposite order of the units.
    static std::string servicePath(const DrmConnector& connector);

private:
    bool edidReadsFine(unsigned bus);

    LinuxDisplayDirectory& m_directory;
    I2CDevice& m_device;
    DDCProblems& m_problems;
    std::mutex m_mutex;
    std::map<unsigned, int> m_refusals;  // refused DDC/CI transfers in a row, by bus; guarded by m_mutex
};

}  // namespace lumadesk
