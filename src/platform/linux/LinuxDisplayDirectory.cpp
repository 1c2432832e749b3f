#include "platform/linux/LinuxDisplayDirectory.h"

#include <algorithm>
#include <array>
#include <set>
#include <system_error>

namespace lumadesk {

namespace {

constexpr std::uint8_t edidAddress = 0x50;
constexpr std::size_t edidBlockSize = 128;

bool isExternalAndConnected(const DrmConnector& connector) {
    return connector.connected && !connector.isBuiltin();
}

}  // namespace

LinuxDisplayDirectory::LinuxDisplayDirectory(LinuxSystem& system, I2CDevice& device, DDCProblems& problems)
    : m_system(system), m_device(device), m_problems(problems), m_policy(system) {}

std::vector<LinuxDisplay> LinuxDisplayDirectory::rescan() {
    auto displays = scan();
    reportProblems(displays);
    std::lock_guard lock(m_mutex);
    m_displays = displays;
    return displays;
}

std::vector<LinuxDisplay> LinuxDisplayDirectory::displays() {
    {
        std::lock_guard lock(m_mutex);
        if (m_displays) return *m_displays;
    }
    return rescan();
}

std::optional<LinuxDisplay> LinuxDisplayDirectory::display(DisplayID displayID) {
    for (auto& display : displays()) {
        if (display.connector.connectorID == displayID) return std::move(display);
    }
    return std::nullopt;
}

std::optional<LinuxDisplay> LinuxDisplayDirectory::displayWithUnit(std::uint32_t unit) {
    for (auto& display : displays()) {
        if (display.connector.unit == unit) return std::move(display);
    }
    return std::nullopt;
}

std::vector<LinuxDisplay> LinuxDisplayDirectory::scan() {
    std::vector<LinuxDisplay> displays;
    for (auto& connector : scanDrmConnectors(m_system)) {
        std::optional<unsigned> bus;
        if (isExternalAndConnected(connector) && connector.linkedBus &&
            m_policy.isDisplayAdapter(connector.linkedAdapter))
            bus = connector.linkedBus;
        displays.push_back({std::move(connector), bus});
    }
    matchByEDID(displays);
    return displays;
}

void LinuxDisplayDirectory::matchByEDID(std::vector<LinuxDisplay>& displays) {
    // A card whose driver links a bus to any connector publishes its links: a connector of it without a
    // link (an MST branch) has no bus of its own and is not guessed at.
    // Buses linked to any connector, a panel's included, belong to that connector alone.
    std::set<unsigned> linkingCards;
    std::set<unsigned> linkedBuses;
    for (const auto& display : displays) {
        if (!display.connector.linkedBus) continue;
        linkingCards.insert(display.connector.card);
        linkedBuses.insert(*display.connector.linkedBus);
    }
    std::vector<LinuxDisplay*> unmatched;
    std::set<std::filesystem::path> unmatchedDevices;
    for (auto& display : displays) {
        const auto& connector = display.connector;
        if (!isExternalAndConnected(connector) || linkingCards.contains(connector.card) ||
            connector.edid.empty())
            continue;
        unmatched.push_back(&display);
        if (const auto device = m_policy.pciDeviceOf(connector.directory)) unmatchedDevices.insert(*device);
    }
    if (unmatched.empty()) return;

    // Only the display buses of the same graphics cards are read.
    std::error_code error;
    std::vector<unsigned> candidates;
    for (const auto& entry : std::filesystem::directory_iterator(m_system.sys() / "bus/i2c/devices", error)) {
        const auto bus = sysfs::numberAfter(entry.path().filename().string(), "i2c-");
        if (!bus || linkedBuses.contains(*bus) || !m_policy.isDisplayBus(*bus)) continue;
        const auto device = m_policy.pciDeviceOf(entry.path());
        if (device && unmatchedDevices.contains(*device)) candidates.push_back(*bus);
    }
    std::sort(candidates.begin(), candidates.end());
    for (const unsigned bus : candidates) {
        std::array<std::uint8_t, edidBlockSize> edid{};
        const std::array<std::uint8_t, 1> offset{0};
        if (m_device.transfer(bus, edidAddress, offset, Duration{0}, edid) != ioSuccess) continue;
        const auto owner = std::find_if(unmatched.begin(), unmatched.end(), [&](const LinuxDisplay* display) {
            return std::equal(edid.begin(), edid.end(), display->connector.edid.begin());
        });
        if (owner == unmatched.end()) continue;
        (*owner)->ddcBus = bus;
        unmatched.erase(owner);
        if (unmatched.empty()) return;
    }
}

void LinuxDisplayDirectory::reportProblems(const std::vector<LinuxDisplay>& displays) {
    const bool anyExternal = std::any_of(displays.begin(), displays.end(), [](const LinuxDisplay& display) {
        return isExternalAndConnected(display.connector);
    });
    if (!anyExternal) {
        m_problems.report(DDCProblems::noExternalMonitor());
        return;
    }
    m_problems.resolve(DDCProblems::noExternalMonitor());
    std::error_code error;
    if (std::filesystem::exists(m_system.sys() / "class/i2c-dev", error))
        m_problems.resolve(DDCProblems::moduleNotLoaded());
    else
        m_problems.report(DDCProblems::moduleNotLoaded());
}

}  // namespace lumadesk
