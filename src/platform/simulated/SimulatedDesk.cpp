#include "platform/simulated/SimulatedDesk.h"

#include <algorithm>

namespace lumadesk {

namespace {

std::shared_ptr<SimulatedMonitor> makeMonitor(const SimulatedDisplayConfig& display, const Clock& clock,
                                              const SimulatedDisplayState* state) {
    SimulatedMonitorConfig config;
    config.vendor = display.vendor;
    config.product = display.product;
    config.serial = display.serial;
    config.serialText = display.edidSerial;
    config.productName = preferredProductName(display.productNames);
    config.answersDDC = display.ddc.has_value();
    const SimulatedDDCConfig ddc = display.ddc.value_or(SimulatedDDCConfig{});
    // A saved level above what the monitor holds is its maximum.
    config.brightness = state ? std::min(state->brightness, ddc.maximum) : ddc.brightness;
    config.maximumBrightness = ddc.maximum;
    if (state) config.powerMode = state->powerMode;
    auto monitor = std::make_shared<SimulatedMonitor>(clock, std::move(config));
    monitor->nakNextTransfers(ddc.nakNextTransfers);
    monitor->corruptEveryNthReply(ddc.corruptEveryNthReply);
    monitor->setErrorResultCode(ddc.resultCode);
    monitor->setExtraReplyDelay(ddc.extraReplyDelay);
    return monitor;
}

}  // namespace

SimulatedDesk::SimulatedDesk(SimulatedDeskConfig config, const Clock& clock, Sleeper& sleeper,
                             const std::optional<std::vector<SimulatedDisplayState>>& state)
    : m_config(std::move(config)) {
    const auto& displays = m_config.displays;
    const bool useState = state && state->size() == displays.size();

    std::vector<SimulatedDisplayEntry> entries;
    std::vector<Screen> screens;
    std::vector<SimulatedFramebufferConfig> framebuffers;
    std::vector<SimulatedAVServiceConfig> avServices;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const SimulatedDisplayConfig& display = displays[i];
        const SimulatedDisplayState* displayState = useState ? &(*state)[i] : nullptr;
        auto monitor = makeMonitor(display, clock, displayState);
        m_monitors.push_back(monitor);

        entries.push_back({.displayID = displayID(i),
                           .isBuiltin = display.builtin,
                           .mirrorsDisplay = display.mirrorOf ? displayID(*display.mirrorOf) : 0,
                           .vendor = display.vendor,
                           .model = display.product,
                           .serial = display.serial,
                           .unit = display.unit,
                           .isPlugged = displayState ? displayState->plugged : display.online,
                           .isEnabled = displayState ? displayState->enabled : display.enabled,
                           .isPermanentlyEnabled = display.enabled});
        if (display.name) screens.push_back({display.frame, displayID(i), *display.name, std::nullopt});
        framebuffers.push_back({.unitNumber = display.unit,
                                .busCount = display.framebufferBuses,
                                .transactionTypes = display.i2cTransactionTypes,
                                .publishesEDID = display.registryEDID,
                                .productNames = display.productNames,
                                .monitor = monitor});
        if (display.avServicePath) {
            avServices.push_back(
                {firstAVServiceHandle + static_cast<std::uint32_t>(i), *display.avServicePath, monitor});
        }
    }

    m_windowServer = std::make_unique<SimulatedWindowServer>(std::move(entries));
    const auto& faults = m_config.windowServerFaults;
    m_windowServer->setBeginError(faults.beginError);
    m_windowServer->setConfigureError(faults.configureError);
    m_windowServer->setCompleteError(faults.completeError);
    m_screenList =
        std::make_unique<SimulatedScreenList>(*m_windowServer, std::move(screens), m_config.pointer);
    m_registry = std::make_unique<SimulatedDisplayRegistry>(framebuffers);
    m_avServiceBus = std::make_unique<SimulatedAVServiceBus>(std::move(avServices));
    m_framebufferI2C = std::make_unique<SimulatedFramebufferI2C>(std::move(framebuffers), sleeper);
    for (std::size_t i = 0; i < displays.size(); ++i) {
        attach(i, m_windowServer->display(displayID(i))->isPlugged);
    }
}

void SimulatedDesk::plug(std::size_t index) {
    attach(index, true);
    m_windowServer->setPlugged(displayID(index), true);
}

void SimulatedDesk::unplug(std::size_t index) {
    attach(index, false);
    m_windowServer->setPlugged(displayID(index), false);
}

std::vector<SimulatedDisplayState> SimulatedDesk::state() const {
    std::vector<SimulatedDisplayState> states;
    for (std::size_t i = 0; i < m_monitors.size(); ++i) {
        const auto entry = m_windowServer->display(displayID(i));
        states.push_back(
            {m_monitors[i]->brightness(), m_monitors[i]->powerMode(), entry->isEnabled, entry->isPlugged});
    }
    return states;
}

void SimulatedDesk::attach(std::size_t index, bool plugged) {
    m_registry->setAttached(m_config.displays.at(index).unit, plugged);
    m_avServiceBus->setAttached(firstAVServiceHandle + static_cast<std::uint32_t>(index), plugged);
}

}  // namespace lumadesk
