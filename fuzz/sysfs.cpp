// The text of sysfs attribute files comes from drivers of every age and quality. The input is split at
// NUL bytes into a directory entry's name, a connector's status, enabled and connector_id files, an I2C
// adapter's name, a PCI device's class and, last, the connector's edid file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edid/Edid.h"
#include "platform/linux/DisplayAdapterPolicy.h"
#include "platform/linux/DrmConnector.h"

namespace {

// A directory entry's name is at most NAME_MAX bytes.
constexpr std::size_t nameLimit = 255;

std::string_view nextField(std::string_view& input) {
    const auto end = input.find('\0');
    const auto field = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumadesk;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string name(nextField(input).substr(0, nameLimit));
    const auto status = sysfs::attributeText(std::string(nextField(input)));
    const auto enabled = sysfs::attributeText(std::string(nextField(input)));
    const auto connectorID = sysfs::attributeText(std::string(nextField(input)));
    const auto adapterName = sysfs::attributeText(std::string(nextField(input)));
    const auto deviceClass = sysfs::attributeText(std::string(nextField(input)));
    const std::vector<std::uint8_t> edid(input.begin(), input.end());

    if (const auto parsed = parseDrmConnectorName(name)) {
        if (parsed->type.empty() || !name.starts_with("card")) std::abort();
    }
    DrmConnector connector;
    applyConnectorAttributes(connector, status, enabled, connectorID);
    if (connector.connected != (status == "connected")) std::abort();
    if (connector.connectorID != 0 && std::to_string(connector.connectorID) != connectorID &&
        !connectorID.starts_with('0') && !connectorID.starts_with('+'))
        std::abort();
    const auto block = Edid(edid).validBaseBlock();
    if (!block.empty() && (block.size() != Edid::blockSize || !Edid(block).isValidBaseBlock())) std::abort();
    DisplayAdapterPolicy::hasDisplayAdapterName(adapterName);
    if (DisplayAdapterPolicy::isDisplayClass(deviceClass) && deviceClass.size() != 8) std::abort();
    return 0;
}
