#include "hardware/PrivateDisplayBridge.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

#include "edid/Edid.h"

namespace lumadesk {

namespace {

constexpr std::uint8_t edidAddress = 0x50;

// The text both kinds of entry are grouped by.
std::string matchKey(std::uint32_t vendor, std::uint32_t product, std::uint32_t serial) {
    return std::to_string(vendor) + "-" + std::to_string(product) + "-" + std::to_string(serial);
}

// Entries grouped by match key, keeping their collection order within each group.
template <typename Entry>
std::map<std::string, std::vector<Entry>> groupedByKey(std::vector<Entry> entries) {
    std::map<std::string, std::vector<Entry>> groups;
    for (auto& entry : entries) {
        groups[matchKey(entry.vendor, entry.product, entry.serial)].push_back(std::move(entry));
    }
    return groups;
}

}  // namespace

PrivateDisplayBridge::PrivateDisplayBridge(AVServiceBus& serviceBus, WindowServer& windowServer)
    : m_serviceBus(serviceBus), m_windowServer(windowServer) {}

std::shared_ptr<AVService> PrivateDisplayBridge::avService(DisplayID displayID) {
    std::lock_guard lock(m_mutex);
    if (const auto found = m_services.find(displayID); found != m_services.end()) return found->second;
    // One matching answers for every display it saw: only a display that came online since is worth
    // another. (Rebuilding for each display without a service made a refresh quadratic.)
    if (m_withoutService.contains(displayID)) return nullptr;
    rebuildLocked();
    const auto found = m_services.find(displayID);
    return found == m_services.end() ? nullptr : found->second;
}

void PrivateDisplayBridge::rebuildServiceMap() {
    std::lock_guard lock(m_mutex);
    rebuildLocked();
}

void PrivateDisplayBridge::resetServiceCache() {
    std::lock_guard lock(m_mutex);
    m_services.clear();
    m_withoutService.clear();
}

std::vector<DisplayID> PrivateDisplayBridge::cachedDisplayIDs() const {
    std::lock_guard lock(m_mutex);
    std::vector<DisplayID> displayIDs;
    for (const auto& [displayID, service] : m_services) displayIDs.push_back(displayID);
    return displayIDs;
}

std::string PrivateDisplayBridge::dcpPort(const AVServiceEntry& entry) {
    // The first "dispext" followed by at least one character other than a colon, up to the next colon.
    // A plain scan: regular expressions backtrack, and a long path could overflow the stack.
    constexpr std::string_view portPrefix = "dispext";
    const std::string_view path = entry.registryPath;
    for (auto start = path.find(portPrefix); start != std::string_view::npos;
         start = path.find(portPrefix, start + 1)) {
        const auto end = std::min(path.find(':', start + portPrefix.size()), path.size());
        if (end > start + portPrefix.size()) return std::string(path.substr(start, end - start));
    }
    return "dcp-" + std::to_string(entry.handleNumber);
}

std::map<DisplayID, PrivateDisplayBridge::AVEntry> PrivateDisplayBridge::pair(
    std::vector<AVEntry> avEntries, std::vector<CGEntry> cgEntries,
    const std::map<DisplayID, EarlierPort>& earlierPorts) {
    auto cgGroups = groupedByKey(std::move(cgEntries));
    std::map<DisplayID, AVEntry> paired;
    for (auto& [key, group] : groupedByKey(std::move(avEntries))) {
        const auto cgGroup = cgGroups.find(key);
        if (cgGroup == cgGroups.end()) continue;
        auto& services = group;  // a structured binding cannot be captured by Clang 14
        // First every display that had a port takes it again, when it is there.
        std::vector<CGEntry> displays;
        for (const auto& display : cgGroup->second) {
            const auto earlier = earlierPorts.find(display.displayID);
            const auto service =
                earlier == earlierPorts.end()
                    ? services.end()
                    : std::find_if(services.begin(), services.end(), [&](const AVEntry& entry) {
                          return entry.dcpPort == earlier->second.port;
                      });
            if (service == services.end()) {
                displays.push_back(display);
                continue;
            }
            paired[display.displayID] = std::move(*service);
            services.erase(service);
        }
        // A port an identical monitor had is not given away: that monitor may only be off the desktop.
        std::set<std::string> portsOfTwins;
        for (const auto& earlier : earlierPorts) {
            if (earlier.second.key == key) portsOfTwins.insert(earlier.second.port);
        }
        std::erase_if(services, [&](const AVEntry& entry) { return portsOfTwins.contains(entry.dcpPort); });
        // The rest, new to this program: of identical monitors, the lowest unit number goes with the port
        // name that sorts last; where their numbers differ (one is off the desktop, or a service did not
        // answer), the order cannot tell and they pair in collection order.
        if (services.size() == displays.size()) {
            std::stable_sort(services.begin(), services.end(),
                             [](const AVEntry& a, const AVEntry& b) { return a.dcpPort > b.dcpPort; });
            std::stable_sort(displays.begin(), displays.end(),
                             [](const CGEntry& a, const CGEntry& b) { return a.unit < b.unit; });
        }
        for (std::size_t i = 0; i < std::min(services.size(), displays.size()); ++i)
            paired[displays[i].displayID] = services[i];
    }
    return paired;
}

std::vector<PrivateDisplayBridge::AVEntry> PrivateDisplayBridge::readAVEntries() {
    std::vector<AVEntry> entries;
    for (const AVServiceEntry& entry : m_serviceBus.services()) {
        auto service = m_serviceBus.openService(entry.handleNumber);
        if (!service) continue;
        std::array<std::uint8_t, Edid::blockSize> edid{};
        if (service->readI2C(edidAddress, 0, edid) != ioSuccess) continue;
        const auto edidIdentity = Edid(edid).identity();
        if (!edidIdentity) continue;
        entries.push_back({std::move(service), edidIdentity->vendor, edidIdentity->product,
                           edidIdentity->serial, dcpPort(entry)});
    }
    return entries;
}

std::vector<PrivateDisplayBridge::CGEntry> PrivateDisplayBridge::readCGEntries() {
    std::vector<CGEntry> entries;
    // Mirrored displays and the platform maker's are matched too; only built-in panels have no service.
    for (const DisplayID displayID : m_windowServer.onlineDisplayIDs().displayIDs) {
        if (m_windowServer.isBuiltin(displayID)) continue;
        entries.push_back({displayID, m_windowServer.vendorNumber(displayID),
                           m_windowServer.modelNumber(displayID), m_windowServer.serialNumber(displayID),
                           m_windowServer.unitNumber(displayID)});
    }
    return entries;
}

void PrivateDisplayBridge::rebuildLocked() {
    m_services.clear();
    auto cgEntries = readCGEntries();
    std::set<DisplayID> examined;
    for (const auto& entry : cgEntries) examined.insert(entry.displayID);
    const auto paired = pair(readAVEntries(), std::move(cgEntries), m_portByDisplay);
    for (const auto& [displayID, entry] : paired) {
        const std::string& port = entry.dcpPort;  // a structured binding cannot be captured by Clang 14
        std::erase_if(m_portByDisplay, [&](const auto& earlier) { return earlier.second.port == port; });
        m_services[displayID] = entry.avService;
        m_portByDisplay[displayID] = {port, matchKey(entry.vendor, entry.product, entry.serial)};
    }
    m_withoutService.clear();
    for (const DisplayID displayID : examined) {
        if (!m_services.contains(displayID)) m_withoutService.insert(displayID);
    }
}

}  // namespace lumadesk
