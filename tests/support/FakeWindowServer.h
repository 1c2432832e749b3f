#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/WindowServer.h"

namespace lumadesk {

// One display as the fake window server describes it.
struct FakeDisplay {
    DisplayID displayID = 0;
    bool isBuiltin = false;
    DisplayID mirrorsDisplay = 0;
    std::uint32_t vendor = 0;
    std::uint32_t model = 0;
    std::uint32_t serial = 0;
    std::uint32_t unit = 0;
};

// A window server with settable displays and result codes; configuration calls are logged as text
// ("begin", "configure 3 false", "complete 1", "cancel", "restore").
class FakeWindowServer final : public WindowServer {
public:
    void addDisplay(FakeDisplay display) { m_displays.push_back(display); }
    // Takes the display off the online list, as disabling or unplugging it does.
    void removeDisplay(DisplayID displayID) {
        std::erase_if(m_displays, [&](const FakeDisplay& display) { return display.displayID == displayID; });
    }

    OnlineDisplayList onlineDisplayIDs() override {
        OnlineDisplayList list{onlineListError, {}};
        for (const auto& display : m_displays) list.displayIDs.push_back(display.displayID);
        return list;
    }
    bool isBuiltin(DisplayID displayID) override { return display(displayID).isBuiltin; }
    DisplayID mirrorsDisplay(DisplayID displayID) override { return display(displayID).mirrorsDisplay; }
    std::uint32_t vendorNumber(DisplayID displayID) override { return display(displayID).vendor; }
    std::uint32_t modelNumber(DisplayID displayID) override { return display(displayID).model; }
    std::uint32_t serialNumber(DisplayID displayID) override { return display(displayID).serial; }
    std::uint32_t unitNumber(DisplayID displayID) override { return display(displayID).unit; }

    ConfigurationBegin beginConfiguration() override {
        calls.push_back("begin");
        if (beginError != windowServerSuccess || beginOpensNothing) return {beginError, std::nullopt};
        return {windowServerSuccess, ++m_lastConfiguration};
    }
    WindowServerError configureDisplayEnabled(DisplayConfigurationRef, DisplayID displayID,
                                              bool enabled) override {
        calls.push_back("configure " + std::to_string(displayID) + (enabled ? " true" : " false"));
        return configureError;
    }
    WindowServerError completeConfiguration(DisplayConfigurationRef, ConfigureOption option) override {
        calls.push_back("complete " + std::to_string(static_cast<std::uint32_t>(option)));
        return completeError;
    }
    void cancelConfiguration(DisplayConfigurationRef) override { calls.push_back("cancel"); }
    WindowServerError restorePermanentConfiguration() override {
        calls.push_back("restore");
        if (restoreError == windowServerSuccess && restoreBringsDisplaysBack)
            configureError = completeError = windowServerSuccess;
        return restoreError;
    }

    ReconfigurationToken registerReconfigurationCallback(ReconfigurationCallback callback) override {
        m_callbacks[++m_lastToken] = std::move(callback);
        return m_lastToken;
    }
    void removeReconfigurationCallback(ReconfigurationToken token) override { m_callbacks.erase(token); }

    // Calls every registered callback as the window server would.
    void reconfigure(DisplayID displayID, ReconfigurationFlags flags) {
        for (const auto& [token, callback] : m_callbacks) callback(displayID, flags);
    }

    WindowServerError onlineListError = windowServerSuccess;
    WindowServerError beginError = windowServerSuccess;
    WindowServerError configureError = windowServerSuccess;
    WindowServerError completeError = windowServerSuccess;
    WindowServerError restoreError = windowServerSuccess;
    bool beginOpensNothing = false;  // reports success without a transaction
    // A successful restore puts every display back on, so that enabling one succeeds afterwards.
    bool restoreBringsDisplaysBack = false;
    std::vector<std::string> calls;

private:
    // Unknown displays read as zeros, as the window server answers for an invalid ID.
    FakeDisplay display(DisplayID displayID) const {
        const auto found =
            std::find_if(m_displays.begin(), m_displays.end(),
                         [&](const FakeDisplay& display) { return display.displayID == displayID; });
        return found == m_displays.end() ? FakeDisplay{} : *found;
    }

    std::vector<FakeDisplay> m_displays;
    DisplayConfigurationRef m_lastConfiguration = 0;
    ReconfigurationToken m_lastToken = 0;
    std::map<ReconfigurationToken, ReconfigurationCallback> m_callbacks;
};

}  // namespace lumadesk
