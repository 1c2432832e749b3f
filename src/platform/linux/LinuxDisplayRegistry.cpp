#include "platform/linux/LinuxDisplayRegistry.h"

#include "platform/I2CRequest.h"

namespace lumadesk {

namespace {

// Bit 1: the simple transaction, a plain write or read, all an i2c-dev node does.
constexpr std::uint64_t simpleTransactions = 1U << static_cast<unsigned>(I2CTransactionType::simple);

}  // namespace

RegistryService LinuxDisplayRegistry::serviceForUnitNumber(std::uint32_t unitNumber) {
    const auto display = m_directory.displayWithUnit(unitNumber);
    if (!display || !display->connector.connected) return {};
    return RegistryService(unitNumber, [] {});
}

DisplayProductNames LinuxDisplayRegistry::productNames(const RegistryService& service) {
    const auto display = displayOf(service);
    if (!display) return {};
    auto name = display->connector.productName();
    if (!name) return {};
    return std::move(*name);
}

std::optional<std::vector<std::uint8_t>> LinuxDisplayRegistry::edid(const RegistryService& service) {
    auto display = displayOf(service);
    if (!display || display->connector.edid.empty()) return std::nullopt;
    return std::move(display->connector.edid);
}

std::vector<std::uint64_t> LinuxDisplayRegistry::framebufferI2CTransactionTypes() {
    std::vector<std::uint64_t> types;
    for (const auto& display : m_directory.displays()) {
        if (display.ddcBus) types.push_back(simpleTransactions);
    }
    return types;
}

std::optional<LinuxDisplay> LinuxDisplayRegistry::displayOf(const RegistryService& service) {
    if (!service) return std::nullopt;
    return m_directory.displayWithUnit(static_cast<std::uint32_t>(service.entryID()));
}

}  // namespace lumadesk
