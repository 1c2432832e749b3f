#include "platform/linux/DrmConnector.h"

#include <algorithm>
#include <regex>
#include <system_error>

#include "edid/Edid.h"

namespace lumadesk {

namespace {

// The most EDID a connector file gives (a base block and up to 255 extensions); more is not read.
constexpr std::size_t edidFileLimit = 256 * Edid::blockSize;

// The DDC bus the driver links: DP connectors carry their AUX channel's adapter as an "i2c-N" child,
// HDMI and DVI connectors a "ddc" link to the adapter.
void findLinkedAdapter(DrmConnector& connector) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(connector.directory, error)) {
        if (const auto bus = sysfs::numberAfter(entry.path().filename().string(), "i2c-")) {
            connector.linkedBus = bus;
            connector.linkedAdapter = entry.path();
            return;
        }
    }
    const auto ddc = connector.directory / "ddc";
    const auto adapter = std::filesystem::canonical(ddc, error);
    if (error) return;
    connector.linkedBus = sysfs::numberAfter(adapter.filename().string(), "i2c-");
    if (connector.linkedBus) connector.linkedAdapter = ddc;
}

// Without a connector_id file (older kernels) the id is made from the card and the connector's place
// on it, which is stable while the card's connectors are.
DisplayID fallbackConnectorID(unsigned card, unsigned place) {
    return static_cast<DisplayID>(0x8000'0000U | (card << 16) | place);
}

}  // namespace

bool DrmConnector::isBuiltin() const {
    return type == "eDP" || type == "LVDS" || type == "DSI";
}

std::string DrmConnector::outputName() const {
    const auto dash = name.find('-');
    return dash == std::string::npos ? name : name.substr(dash + 1);
}

std::optional<std::string> DrmConnector::productName() const {
    return Edid(edid).productName();
}

std::optional<DrmConnectorName> parseDrmConnectorName(const std::string& name) {
    static const std::regex connectorName(R"(card(\d+)-(.+)-(\d+))");
    std::smatch match;
    if (!std::regex_match(name, match, connectorName)) return std::nullopt;
    const auto card = sysfs::numberAfter(match[1].str(), "");
    if (!card) return std::nullopt;
    return DrmConnectorName{*card, match[2].str()};
}

void applyConnectorAttributes(DrmConnector& connector, const std::string& status,
                              const std::optional<std::string>& enabled,
                              const std::optional<std::string>& connectorID) {
    connector.connected = status == "connected";
    // The kernel gives every connector an "enabled" file; without one the state is unknown, and a
    // connected monitor is better listed than hidden.
    connector.enabled = enabled.value_or("enabled") == "enabled";
    const auto number = connectorID ? sysfs::numberAfter(*connectorID, "") : std::nullopt;
    connector.connectorID = number ? *number : 0;
}

std::vector<DrmConnector> scanDrmConnectors(const LinuxSystem& system) {
    std::vector<DrmConnector> connectors;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(system.sys() / "class/drm", error)) {
        const std::string name = entry.path().filename().string();
        const auto parsedName = parseDrmConnectorName(name);
        if (!parsedName) continue;
        DrmConnector connector;
        connector.name = name;
        connector.directory = entry.path();
        connector.card = parsedName->card;
        connector.type = parsedName->type;
        const auto status = sysfs::readText(entry.path() / "status");
        if (!status) continue;  // gone, or not a connector
        applyConnectorAttributes(connector, *status, sysfs::readText(entry.path() / "enabled"),
                                 sysfs::readText(entry.path() / "connector_id"));
        if (connector.connected) {
            const auto file = sysfs::readBytes(entry.path() / "edid", edidFileLimit);
            if (file) connector.edid = Edid(*file).validBaseBlock();
            findLinkedAdapter(connector);
        }
        connectors.push_back(std::move(connector));
    }
    std::sort(connectors.begin(), connectors.end(), [](const DrmConnector& a, const DrmConnector& b) {
        if (a.card != b.card) return a.card < b.card;
        if (a.connectorID != b.connectorID) return a.connectorID < b.connectorID;
        return a.name < b.name;
    });
    unsigned place = 0;
    for (std::size_t i = 0; i < connectors.size(); ++i) {
        auto& connector = connectors[i];
        place = i > 0 && connectors[i - 1].card == connector.card ? place + 1 : 0;
        if (connector.connectorID == 0) connector.connectorID = fallbackConnectorID(connector.card, place);
        connector.unit = static_cast<std::uint32_t>(i + 1);
    }
    return connectors;
}

}  // namespace lumadesk
