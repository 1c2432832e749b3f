#include "platform/linux/LinuxWindowServer.h"

#include "hardware/PrivateDisplayBridge.h"

namespace lumadesk {

namespace {

// The change flag of a notice after a hot-plug: the set of displays changed.
constexpr ReconfigurationFlags displaysChangedFlag = 1U << 4;
// The code of a configuration call with a transaction this window server never opened.
constexpr WindowServerError illegalArgument = 1001;

PrivateDisplayBridge::EDIDIdentity identityOf(const std::optional<LinuxDisplay>& display) {
    if (!display) return {};
    return PrivateDisplayBridge::identity(display->connector.edid)
        .value_or(PrivateDisplayBridge::EDIDIdentity{});
}

}  // namespace

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
    return {configurationUnsupportedInSession, std::nullopt};
}

WindowServerError LinuxWindowServer::configureDisplayEnabled(DisplayConfigurationRef, DisplayID, bool) {
    return illegalArgument;
}

WindowServerError LinuxWindowServer::completeConfiguration(DisplayConfigurationRef, ConfigureOption) {
    return illegalArgument;
}

void LinuxWindowServer::cancelConfiguration(DisplayConfigurationRef) {}

WindowServerError LinuxWindowServer::restorePermanentConfiguration() {
    return configurationUnsupportedInSession;
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
