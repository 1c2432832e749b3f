#include "hardware/SystemDisplaySnapshotProvider.h"

#include <algorithm>
#include <array>

namespace lumadesk {

namespace {

// Displays of the platform maker (virtual and companion displays) are not managed.
constexpr std::uint32_t platformVendor = 0x610;
// Serial numbers that monitors report when they have none.
constexpr std::array<std::uint32_t, 3> placeholderSerials{0, 0xFFFFFFFF, 0x01010101};

constexpr std::uint8_t edidAddress = 0x50;

}  // namespace

SystemDisplaySnapshotProvider::SystemDisplaySnapshotProvider(WindowServer& windowServer,
                                                             ScreenList& screenList,
                                                             DisplayRegistry& registry,
                                                             AVServiceLocating& serviceLocator)
    : m_windowServer(windowServer),
      m_screenList(screenList),
      m_registry(registry),
      m_serviceLocator(serviceLocator) {}

std::vector<DisplayID> SystemDisplaySnapshotProvider::onlineDisplayIDs() {
    const OnlineDisplayList online = m_windowServer.onlineDisplayIDs();
    if (online.error != windowServerSuccess) return {};
    // Read once per listing: the snapshots that follow take their names from it.
    m_screenNames.clear();
    for (Screen& screen : m_screenList.screens())
        m_screenNames.try_emplace(screen.displayID, std::move(screen.localizedName));
    std::vector<DisplayID> managed;
    for (const DisplayID displayID : online.displayIDs) {
        if (m_windowServer.isBuiltin(displayID)) continue;
        if (m_windowServer.mirrorsDisplay(displayID) != 0) continue;
        if (m_windowServer.vendorNumber(displayID) == platformVendor) continue;
        const auto screen = m_screenNames.find(displayID);
        if (screen != m_screenNames.end() && screen->second.find("Virtual") != std::string::npos) continue;
        managed.push_back(displayID);
    }
    return managed;
}

std::optional<DisplaySnapshot> SystemDisplaySnapshotProvider::snapshot(DisplayID displayID) {
    if (m_windowServer.isBuiltin(displayID)) return std::nullopt;
    const std::uint32_t vendor = m_windowServer.vendorNumber(displayID);
    const std::uint32_t product = m_windowServer.modelNumber(displayID);
    const std::uint32_t serial = m_windowServer.serialNumber(displayID);
    const std::string vendorAndProduct = std::to_string(vendor) + "-" + std::to_string(product);

    DisplaySnapshot snapshot;
    snapshot.displayID = displayID;
    snapshot.modelName = displayName(displayID).value_or("Display " + vendorAndProduct);
    snapshot.vendorID = vendor;
    snapshot.productID = product;
    if (std::find(placeholderSerials.begin(), placeholderSerials.end(), serial) != placeholderSerials.end()) {
        const auto serialText = edidSerialText(displayID);
        snapshot.hardwareID = serialText ? vendorAndProduct + "-" + *serialText : vendorAndProduct;
    } else {
        snapshot.serialNumber = std::to_string(serial);
        snapshot.hardwareID = vendorAndProduct + "-" + *snapshot.serialNumber;
    }
    return snapshot;
}

std::optional<std::string> SystemDisplaySnapshotProvider::displayName(DisplayID displayID) {
    // A screen without a name leaves the naming to the registry.
    if (const auto screen = m_screenNames.find(displayID);
        screen != m_screenNames.end() && !screen->second.empty())
        return withoutDuplicateCounter(screen->second);
    if (const auto screen = screenOf(displayID); screen && !screen->localizedName.empty())
        return withoutDuplicateCounter(screen->localizedName);
    return registryProductName(displayID);
}

std::string SystemDisplaySnapshotProvider::withoutDuplicateCounter(std::string_view name) {
    // A linear scan from the end: a regular expression here backtracks, and long names overflow the stack.
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    if (!name.ends_with(')')) return std::string(name);
    std::size_t open = name.size() - 1;
    while (open > 0 && isDigit(name[open - 1])) --open;
    if (open == name.size() - 1 || open == 0 || name[open - 1] != '(') return std::string(name);
    std::size_t end = open - 1;
    while (end > 0 && isSpace(name[end - 1])) --end;
    return std::string(name.substr(0, end));
}

std::optional<std::string> SystemDisplaySnapshotProvider::edidSerialText(DisplayID displayID) {
    if (auto text = registryEDIDSerialText(displayID)) return text;
    return avServiceEDIDSerialText(displayID);
}

std::optional<Screen> SystemDisplaySnapshotProvider::screenOf(DisplayID displayID) {
    for (Screen& screen : m_screenList.screens()) {
        if (screen.displayID == displayID) return std::move(screen);
    }
    return std::nullopt;
}

std::optional<std::string> SystemDisplaySnapshotProvider::registryProductName(DisplayID displayID) {
    const RegistryService service = m_registry.serviceForUnitNumber(m_windowServer.unitNumber(displayID));
    if (!service) return std::nullopt;
    return preferredProductName(m_registry.productNames(service));
}

std::optional<std::string> SystemDisplaySnapshotProvider::registryEDIDSerialText(DisplayID displayID) {
    const RegistryService service = m_registry.serviceForUnitNumber(m_windowServer.unitNumber(displayID));
    if (!service) return std::nullopt;
    const auto edid = m_registry.edid(service);
    if (!edid) return std::nullopt;
    return serialText(*edid);
}

std::optional<std::string> SystemDisplaySnapshotProvider::avServiceEDIDSerialText(DisplayID displayID) {
    const auto service = m_serviceLocator.avService(displayID);
    if (!service) return std::nullopt;
    std::array<std::uint8_t, Edid::blockSize> bytes{};
    if (service->readI2C(edidAddress, 0, bytes) != ioSuccess) return std::nullopt;
    const Edid edid(bytes);
    if (!edid.startsLikeEdid()) return std::nullopt;
    return edid.serialText();
}

}  // namespace lumadesk
