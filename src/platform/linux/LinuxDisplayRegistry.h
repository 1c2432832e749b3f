#pragma once

#include "platform/DisplayRegistry.h"
#include "platform/linux/LinuxDisplayDirectory.h"

namespace lumadesk {

// The device registry on Linux: a display's service is its connected connector (the entry ID is the
// unit number), its product name the EDID's product-name descriptor, its EDID the connector's. Every
// DDC bus is an i2c-dev node, which carries plain writes and reads only.
class LinuxDisplayRegistry final : public DisplayRegistry {
public:
    explicit LinuxDisplayRegistry(LinuxDisplayDirectory& directory) : m_directory(directory) {}

    RegistryService serviceForUnitNumber(std::uint32_t unitNumber) override;
    DisplayProductNames productNames(const RegistryService& service) override;
    std::optional<std::vector<std::uint8_t>> edid(const RegistryService& service) override;
    std::vector<std::uint64_t> framebufferI2CTransactionTypes() override;

private:
    std::optional<LinuxDisplay> displayOf(const RegistryService& service);

    LinuxDisplayDirectory& m_directory;
};

}  // namespace lumadesk
