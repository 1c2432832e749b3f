#include "platform/linux/LinuxDDCBuses.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace lumadesk {

namespace {

constexpr std::uint8_t ddcciAddress = 0x37;
constexpr std::uint8_t edidAddress = 0x50;
constexpr std::uint32_t largestUnit = 0xFFFF;

// Sized once and filled in place: GCC 12 at -O2 takes an insert after a one-byte start for an overflow.
std::vector<std::uint8_t> withDataAddress(std::uint8_t dataAddress, std::span<const std::uint8_t> buffer) {
    std::vector<std::uint8_t> bytes(buffer.size() + 1);
    bytes.front() = dataAddress;
    std::copy(buffer.begin(), buffer.end(), bytes.begin() + 1);
    return bytes;
}

// An exchange on a bus, each step's outcome counted towards the monitor's refusals.
class LinuxExchange final : public AVServiceExchange {
public:
    LinuxExchange(LinuxDDCBuses& buses, unsigned bus, std::uint8_t chipAddress,
                  std::unique_ptr<I2CDevice::Exchange> exchange)
        : m_buses(buses), m_bus(bus), m_chipAddress(chipAddress), m_exchange(std::move(exchange)) {}

    IOResult write(std::uint8_t dataAddress, std::span<const std::uint8_t> buffer) override {
        return m_buses.countOutcome(m_bus, m_chipAddress,
                                    m_exchange->write(withDataAddress(dataAddress, buffer)));
    }
    IOResult read(std::span<std::uint8_t> buffer) override {
        return m_buses.countOutcome(m_bus, m_chipAddress, m_exchange->read(buffer));
    }

private:
    LinuxDDCBuses& m_buses;
    unsigned m_bus;
    std::uint8_t m_chipAddress;
    std::unique_ptr<I2CDevice::Exchange> m_exchange;
};

// The I2C channel of one monitor. DDC/CI has no registers, so a read at 0x37 is a bare read; the EDID
// EEPROM at 0x50 is read from the offset, written first. On a bus the driver links to its connector,
// the EDID the kernel read from that EEPROM when the monitor was plugged in is served instead: the
// same bytes, without traffic on the bus. A request and its reply are one exchange under the node's
// lock, whoever reads the reply.
class LinuxAVService final : public AVService {
public:
    LinuxAVService(LinuxDDCBuses& buses, unsigned bus, std::vector<std::uint8_t> kernelEDID)
        : m_buses(buses), m_bus(bus), m_kernelEDID(std::move(kernelEDID)) {}

    IOResult readI2C(std::uint8_t chipAddress, std::uint8_t offset, std::span<std::uint8_t> buffer) override {
        if (chipAddress == edidAddress && offset + buffer.size() <= m_kernelEDID.size()) {
            std::copy_n(m_kernelEDID.begin() + offset, buffer.size(), buffer.begin());
            return ioSuccess;
        }
        const std::array<std::uint8_t, 1> start{offset};
        const std::span<const std::uint8_t> written = chipAddress == ddcciAddress
                                                          ? std::span<const std::uint8_t>{}
                                                          : std::span<const std::uint8_t>(start);
        return m_buses.transfer(m_bus, chipAddress, written, Duration{0}, buffer);
    }

    IOResult writeI2C(std::uint8_t chipAddress, std::uint8_t dataAddress,
                      std::span<const std::uint8_t> buffer) override {
        return m_buses.transfer(m_bus, chipAddress, withDataAddress(dataAddress, buffer), Duration{0}, {});
    }

    std::unique_ptr<AVServiceExchange> openExchange(std::uint8_t chipAddress, IOResult& result) override {
        return m_buses.openExchange(m_bus, chipAddress, result);
    }

private:
    LinuxDDCBuses& m_buses;
    unsigned m_bus;
    std::vector<std::uint8_t> m_kernelEDID;  // empty when the bus was found by its EDID
};

// The one bus of a connector: a request record becomes one write, a wait and one read. Sub-addresses
// belong to combined transactions, which i2c-dev reads and writes do not make, so they are not sent.
class LinuxI2CConnection final : public I2CConnection {
public:
    LinuxI2CConnection(LinuxDDCBuses& buses, unsigned bus) : m_buses(buses), m_bus(bus) {}

    IOResult send(I2CRequest& request) override {
        const auto plain = [](I2CTransactionType type) {
            return type == I2CTransactionType::none || type == I2CTransactionType::simple;
        };
        if (!plain(request.sendTransactionType) || !plain(request.replyTransactionType)) return EOPNOTSUPP;
        const bool sends = request.sendTransactionType == I2CTransactionType::simple;
        const bool replies = request.replyTransactionType == I2CTransactionType::simple;
        if (sends && replies && request.sendAddress != request.replyAddress - 1) return EINVAL;
        const auto address =
            static_cast<std::uint8_t>((sends ? request.sendAddress : request.replyAddress) >> 1);
        const auto wait = std::max<Duration>(request.minReplyDelay, LinuxDDCBuses::replyWait);
        request.result = m_buses.transfer(
            m_bus, address, sends ? request.sendBuffer : std::vector<std::uint8_t>{}, wait,
            replies ? std::span<std::uint8_t>(request.replyBuffer) : std::span<std::uint8_t>{});
        return ioSuccess;
    }

private:
    LinuxDDCBuses& m_buses;
    unsigned m_bus;
};

}  // namespace

std::string LinuxDDCBuses::servicePath(const DrmConnector& connector) {
    std::array<char, 8> port{};
    std::snprintf(port.data(), port.size(), "%05u", largestUnit - std::min(connector.unit, largestUnit));
    return connector.directory.string() + ":dispext" + port.data();
}

std::vector<AVServiceEntry> LinuxDDCBuses::services() {
    std::vector<AVServiceEntry> entries;
    for (const auto& display : m_directory.displays()) {
        if (display.ddcBus) entries.push_back({*display.ddcBus, servicePath(display.connector)});
    }
    return entries;
}

std::shared_ptr<AVService> LinuxDDCBuses::openService(std::uint32_t handleNumber) {
    for (auto& display : m_directory.displays()) {
        if (display.ddcBus != handleNumber) continue;
        const bool linked = display.connector.linkedBus == handleNumber;
        return std::make_shared<LinuxAVService>(
            *this, handleNumber, linked ? std::move(display.connector.edid) : std::vector<std::uint8_t>{});
    }
    return nullptr;
}

I2CBusCount LinuxDDCBuses::busCount(const RegistryService& framebuffer) {
    const auto display = m_directory.displayWithUnit(static_cast<std::uint32_t>(framebuffer.entryID()));
    if (!display) return {ENODEV, 0};
    return {ioSuccess, display->ddcBus ? 1U : 0U};
}

std::unique_ptr<I2CConnection> LinuxDDCBuses::openBus(const RegistryService& framebuffer, std::uint32_t bus) {
    const auto display = m_directory.displayWithUnit(static_cast<std::uint32_t>(framebuffer.entryID()));
    if (!display || !display->ddcBus || bus != 0) return nullptr;
    return std::make_unique<LinuxI2CConnection>(*this, *display->ddcBus);
}

IOResult LinuxDDCBuses::transfer(unsigned bus, std::uint8_t chipAddress, std::span<const std::uint8_t> bytes,
                                 Duration waitBeforeRead, std::span<std::uint8_t> reply) {
    return countOutcome(bus, chipAddress, m_device.transfer(bus, chipAddress, bytes, waitBeforeRead, reply));
}

std::unique_ptr<AVServiceExchange> LinuxDDCBuses::openExchange(unsigned bus, std::uint8_t chipAddress,
                                                               IOResult& result) {
    // Opening touches no monitor: only the exchange's steps count.
    auto exchange = m_device.openExchange(bus, chipAddress, result);
    if (!exchange) return nullptr;
    return std::make_unique<LinuxExchange>(*this, bus, chipAddress, std::move(exchange));
}

IOResult LinuxDDCBuses::countOutcome(unsigned bus, std::uint8_t chipAddress, IOResult result) {
    if (chipAddress != ddcciAddress) return result;
    const auto node = m_device.node(bus);
    if (result == ioSuccess) {
        m_problems.resolve(DDCProblems::noAnswer(node));
        m_problems.resolve(DDCProblems::ddcSwitchedOff(node));
    }
    const bool refused = result == ENXIO || result == EREMOTEIO || result == EIO;
    {
        std::lock_guard lock(m_mutex);
        int& refusals = m_refusals[bus];
        refusals = refused ? refusals + 1 : 0;
        if (refusals < refusalsBeforeReport) return result;
    }
    m_problems.report(edidReadsFine(bus) ? DDCProblems::ddcSwitchedOff(node) : DDCProblems::noAnswer(node));
    return result;
}

bool LinuxDDCBuses::edidReadsFine(unsigned bus) {
    // A connector keeps only a valid EDID, which was read over this very bus: by the kernel through the
    // bus it links, or here when the bus was found by it.
    const auto displays = m_directory.displays();
    return std::any_of(displays.begin(), displays.end(), [bus](const LinuxDisplay& display) {
        return display.ddcBus == bus && !display.connector.edid.empty();
    });
}

}  // namespace lumadesk
