#pragma once

#include <string>
#include <vector>

#include "hardware/DisplayConfigurationBridging.h"
#include "hardware/DisplayHardwareError.h"

namespace lumadesk {

// A configuration bridge that logs its steps as text ("begin", "configure 3 false", "complete",
// "cancel", "restore") and answers with settable codes.
class RecordingConfigurationBridge final : public DisplayConfigurationBridging {
public:
    DisplayConfigurationBox beginConfiguration() override {
        steps.push_back("begin");
        if (beginError != windowServerSuccess) throw DisplayHardwareError::failedToBeginConfiguration(beginError);
        return DisplayConfigurationBox(++m_lastConfiguration);
    }
    WindowServerError configureDisplay(DisplayID displayID, bool enabled, DisplayConfigurationBox&) override {
        steps.push_back("configure " + std::to_string(displayID) + (enabled ? " true" : " false"));
        return configureError;
    }
    WindowServerError completeConfiguration(DisplayConfigurationBox&) override {
        steps.push_back("complete");
        return completeError;
    }
    void cancelConfiguration(DisplayConfigurationBox&) override { steps.push_back("cancel"); }
    WindowServerError restorePermanentConfiguration() override {
        steps.push_back("restore");
        return restoreError;
    }

    WindowServerError beginError = windowServerSuccess;
    WindowServerError configureError = windowServerSuccess;
    WindowServerError completeError = windowServerSuccess;
    WindowServerError restoreError = windowServerSuccess;
    std::vector<std::string> steps;

private:
    DisplayConfigurationRef m_lastConfiguration = 0;
};

}  // namespace lumadesk
