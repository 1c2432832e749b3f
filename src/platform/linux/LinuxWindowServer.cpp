#include "platform/linux/LinuxWindowServer.h"

#include "edid/Edid.h"

namespace lumadesk {

namespace {

// The change flag of a notice after a hot-plug: the set of displays changed.
constexpr ReconfigurationFlags displaysChangedFlag = 1U << 4;
EdidIdentity identityOf(const std::optional<LinuxDisplay>& display) {
    if (!display) return {};
    return Edid(display->connector.edid).identity().value_or(EdidIdentity{});
}

// The output a display shows on, as the session's window system names it.
std::optional<OutputIdentity> outputOf(const std::optional<LinuxDisplay>& display) {
    if (!display) return std::nullopt;
    return OutputIdentity{display->connector.outputName(), display->connector.edid};
}

}  // namespace

LinuxWindowServer::LinuxWindowServer(LinuxDisplayDirectory& directory, OutputConfigurationBackend& backend,
                                     const DisabledOutputsRecord* record)
    : m_directory(directory),
      m_transactions(
          backend, [this](DisplayID displayID) { return outputOf(m_directory.display(displayID)); }, record) {
}

OnlineDisplayList LinuxWindowServer::onlineDisplayIDs() {
    OnlineDisplayList list;
    for (const auto& display : m_directory.rescan()) {
        if (display.connector.isOnline()) list.displayIDs.push_back(display.connector.connectorID);
    }
    return list;
}

bool LinuxWindowServer::isBuiltin(DisplayID displayID) {
    const auto display = m_directory.display(displayID);
    return display && display->connector.isBuiltin();
}

DisplayID LinuxWindowServer::mirrorsDisplay(DisplayID) {
    return 0;
}

std::uint32_t LinuxWindowServer::vendorNumber(DisplayID displayID) {
    return identityOf(m_directory.display(displayID)).vendor;
}

std::uint32_t LinuxWindowServer::modelNumber(DisplayID displayID) {
    return identityOf(m_directory.display(displayID)).product;
}

std::uint32_t LinuxWindowServer::serialNumber(DisplayID displayID) {
    return identityOf(m_directory.display(displayID)).serial;
}

std::uint32_t LinuxWindowServer::unitNumber(DisplayID displayID) {
    const auto display = m_directory.display(displayID);
    return display ? display->connector.unit : 0;
}

ConfigurationBegin LinuxWindowServer::beginConfiguration() {
    return m_transactions.beginConfiguration();
}

WindowServerError LinuxWindowServer::configureDisplayEnabled(DisplayConfigurationRef configuration,
                                                             DisplayID displayID, bool enabled) {
    return m_transactions.configureDisplayEnabled(configuration, displayID, enabled);
}

WindowServerError LinuxWindowServer::completeConfiguration(DisplayConfigurationRef configuration,
                                                           ConfigureOption option) {
    return m_transactions.completeConfiguration(configuration, option);
}

void LinuxWindowServer::cancelConfiguration(DisplayConfigurationRef configuration) {
    m_transactions.cancelConfiguration(configuration);
}

WindowServerError LinuxWindowServer::restorePermanentConfiguration() {
    return m_transactions.restorePermanentConfiguration();
}

ReconfigurationToken LinuxWindowServer::registerReconfigurationCallback(ReconfigurationCallback callback) {
    return m_callbacks.add(std::move(callback));
}

void LinuxWindowServer::removeReconfigurationCallback(ReconfigurationToken token) {
    m_callbacks.remove(token);
}

void LinuxWindowServer::notifyReconfiguration() {
    // Which display changed is not known from a device event; the notices say so with display 0.
    m_callbacks.notify({{0, displaysChangedFlag}});
}

}  // namespace lumadesk
