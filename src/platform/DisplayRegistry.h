#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/RegistryService.h"

namespace lumadesk {

// One entry of a localized product-name table.
struct LocalizedName {
    std::string locale;  // for example "en_US"
    std::string name;

    friend bool operator==(const LocalizedName&, const LocalizedName&) = default;
};

// A display's product name as its info dictionary holds it: nothing, one plain text, or a table by
// locale in the dictionary's own order.
using DisplayProductNames = std::variant<std::monostate, std::string, std::vector<LocalizedName>>;

// The preferred one of the names: the plain text, else the "en_US" entry, else the first entry.
inline std::optional<std::string> preferredProductName(const DisplayProductNames& names) {
    if (const auto* plain = std::get_if<std::string>(&names)) return *plain;
    const auto* table = std::get_if<std::vector<LocalizedName>>(&names);
    if (!table || table->empty()) return std::nullopt;
    const auto english = std::find_if(table->begin(), table->end(),
                                      [](const LocalizedName& entry) { return entry.locale == "en_US"; });
    return english != table->end() ? english->name : table->front().name;
}

// The platform's device registry as far as displays and their framebuffers are concerned.
class DisplayRegistry {
public:
    virtual ~DisplayRegistry() = default;
    DisplayRegistry() = default;
    DisplayRegistry(const DisplayRegistry&) = delete;
    DisplayRegistry& operator=(const DisplayRegistry&) = delete;

    // The registry service (the framebuffer) of the display with this unit number; empty when none.
    virtual RegistryService serviceForUnitNumber(std::uint32_t unitNumber) = 0;
    // The product name of the service's info dictionary, preferred names only.
    virtual DisplayProductNames productNames(const RegistryService& service) = 0;
    // The service's raw EDID property, when it has one that is a data value.
    virtual std::optional<std::vector<std::uint8_t>> edid(const RegistryService& service) = 0;
    // The I2C transaction-type bit set of every framebuffer I2C interface, in iteration order (bit n set:
    // transaction type n is supported; an interface without the property gives 0).
    virtual std::vector<std::uint64_t> framebufferI2CTransactionTypes() = 0;
};

}  // namespace lumadesk
