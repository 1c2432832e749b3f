#include "platform/simulated/SimulatedWindowServer.h"

#include <algorithm>

namespace lumadesk {

SimulatedWindowServer::SimulatedWindowServer(std::vector<SimulatedDisplayEntry> displays)
    : m_displays(std::move(displays)) {
    for (std::size_t i = 0; i < m_displays.size(); ++i) m_positions.try_emplace(m_displays[i].displayID, i);
}

OnlineDisplayList SimulatedWindowServer::onlineDisplayIDs() {
    std::lock_guard lock(m_mutex);
    OnlineDisplayList list;
    for (const auto& display : m_displays) {
        if (display.isPlugged && display.isEnabled) list.displayIDs.push_back(display.displayID);
    }
    return list;
}

bool SimulatedWindowServer::isBuiltin(DisplayID displayID) {
    return field(displayID, &SimulatedDisplayEntry::isBuiltin);
}

DisplayID SimulatedWindowServer::mirrorsDisplay(DisplayID displayID) {
    return field(displayID, &SimulatedDisplayEntry::mirrorsDisplay);
}

std::uint32_t SimulatedWindowServer::vendorNumber(DisplayID displayID) {
    return field(displayID, &SimulatedDisplayEntry::vendor);
}

std::uint32_t SimulatedWindowServer::modelNumber(DisplayID displayID) {
    return field(displayID, &SimulatedDisplayEntry::model);
}

std::uint32_t SimulatedWindowServer::serialNumber(DisplayID displayID) {
    return field(displayID, &SimulatedDisplayEntry::serial);
}

std::uint32_t SimulatedWindowServer::unitNumber(DisplayID displayID) {
    return field(displayID, &SimulatedDisplayEntry::unit);
}

ConfigurationBegin SimulatedWindowServer::beginConfiguration() {
    std::lock_guard lock(m_mutex);
    if (m_beginError != windowServerSuccess) return {m_beginError, std::nullopt};
    m_openConfigurations[++m_lastConfiguration] = {};
    return {windowServerSuccess, m_lastConfiguration};
}

WindowServerError SimulatedWindowServer::configureDisplayEnabled(DisplayConfigurationRef configuration,
                                                                 DisplayID displayID, bool enabled) {
    std::lock_guard lock(m_mutex);
    if (m_configureError != windowServerSuccess) return m_configureError;
    const auto open = m_openConfigurations.find(configuration);
    const auto* display = find(displayID);
    if (open == m_openConfigurations.end() || !display || !display->isPlugged) return illegalArgument;
    open->second[displayID] = enabled;
    return windowServerSuccess;
}

WindowServerError SimulatedWindowServer::completeConfiguration(DisplayConfigurationRef configuration,
                                                               ConfigureOption option) {
    std::vector<Notice> notices;
    {
        std::lock_guard lock(m_mutex);
        if (m_completeError != windowServerSuccess) return m_completeError;
        m_failureReason.clear();
        const auto open = m_openConfigurations.find(configuration);
        if (open == m_openConfigurations.end()) return illegalArgument;
        if (leavesADisplayOn({}) && !leavesADisplayOn(open->second)) {
            m_failureReason = lastDisplayRefusal;
            return cannotComplete;
        }
        notices = applyEnabled(open->second, option == ConfigureOption::permanently);
        m_openConfigurations.erase(open);
    }
    m_callbacks.notify(notices);
    return windowServerSuccess;
}

void SimulatedWindowServer::cancelConfiguration(DisplayConfigurationRef configuration) {
    std::lock_guard lock(m_mutex);
    m_openConfigurations.erase(configuration);
}

WindowServerError SimulatedWindowServer::restorePermanentConfiguration() {
    std::vector<Notice> notices;
    {
        std::lock_guard lock(m_mutex);
        std::map<DisplayID, bool> permanent;
        for (const auto& display : m_displays) permanent[display.displayID] = display.isPermanentlyEnabled;
        notices = applyEnabled(permanent, false);
    }
    m_callbacks.notify(notices);
    return windowServerSuccess;
}

std::string SimulatedWindowServer::configurationFailureReason() {
    std::lock_guard lock(m_mutex);
    return m_failureReason;
}

ReconfigurationToken SimulatedWindowServer::registerReconfigurationCallback(
    ReconfigurationCallback callback) {
    return m_callbacks.add(std::move(callback));
}

void SimulatedWindowServer::removeReconfigurationCallback(ReconfigurationToken token) {
    m_callbacks.remove(token);
}

void SimulatedWindowServer::setPlugged(DisplayID displayID, bool plugged) {
    {
        std::lock_guard lock(m_mutex);
        auto* display = find(displayID);
        if (!display || display->isPlugged == plugged) return;
        display->isPlugged = plugged;
    }
    m_callbacks.notify({{displayID, plugged ? addFlag : removeFlag}});
}

void SimulatedWindowServer::setBeginError(WindowServerError code) {
    std::lock_guard lock(m_mutex);
    m_beginError = code;
}

void SimulatedWindowServer::setConfigureError(WindowServerError code) {
    std::lock_guard lock(m_mutex);
    m_configureError = code;
}

void SimulatedWindowServer::setCompleteError(WindowServerError code) {
    std::lock_guard lock(m_mutex);
    m_completeError = code;
}

std::optional<SimulatedDisplayEntry> SimulatedWindowServer::display(DisplayID displayID) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_positions.find(displayID);
    if (found == m_positions.end()) return std::nullopt;
    return m_displays[found->second];
}

std::size_t SimulatedWindowServer::openConfigurationCount() const {
    std::lock_guard lock(m_mutex);
    return m_openConfigurations.size();
}

SimulatedDisplayEntry* SimulatedWindowServer::find(DisplayID displayID) {
    const auto found = m_positions.find(displayID);
    return found == m_positions.end() ? nullptr : &m_displays[found->second];
}

template <typename Field>
Field SimulatedWindowServer::field(DisplayID displayID, Field SimulatedDisplayEntry::*member) const {
    const auto entry = display(displayID);
    return entry ? (*entry).*member : Field{};
}

bool SimulatedWindowServer::leavesADisplayOn(const std::map<DisplayID, bool>& requests) const {
    return std::ranges::any_of(m_displays, [&](const SimulatedDisplayEntry& display) {
        const auto request = requests.find(display.displayID);
        return display.isPlugged && (request == requests.end() ? display.isEnabled : request->second);
    });
}

std::vector<SimulatedWindowServer::Notice> SimulatedWindowServer::applyEnabled(
    const std::map<DisplayID, bool>& requests, bool permanently) {
    std::vector<Notice> notices;
    for (const auto& [displayID, enabled] : requests) {
        auto* display = find(displayID);
        if (!display) continue;
        if (permanently) display->isPermanentlyEnabled = enabled;
        if (display->isEnabled == enabled) continue;
        display->isEnabled = enabled;
        // Enabling or disabling a display that is not plugged in changes nothing anyone can see.
        if (display->isPlugged) notices.push_back({displayID, enabled ? enabledFlag : disabledFlag});
    }
    return notices;
}

}  // namespace lumadesk
