#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/configuration/OutputConfigurationBackend.h"
#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

// A backend that records every apply as text ("DP-1 off, HDMI-A-1 on"), fails with a set message, and
// lists the outputs it is given.
class FakeOutputBackend final : public OutputConfigurationBackend {
public:
    std::string name() const override { return "fake"; }
    bool isSupported() const override { return true; }
    void setChangeHandler(std::function<void()>) override {}
    int eventDescriptor() const override { return -1; }
    void processEvents() override {}
    std::vector<OutputCandidate> connectedOutputs() override { return outputs; }

    std::vector<OutputCandidate> outputs;
    std::vector<std::string> applied;
    std::optional<std::string> failureMessage;
    std::optional<std::string> failOnlyFor;  // fail only applies that mention this output

protected:
    void applyWithin(const std::vector<OutputChange>& changes, const Deadline&) override {
        std::string text;
        for (const OutputChange& change : changes)
            text += (text.empty() ? "" : ", ") + change.output.connector + (change.enabled ? " on" : " off");
        applied.push_back(text);
        if (failureMessage && (!failOnlyFor || text.find(*failOnlyFor) != std::string::npos))
            throw OutputConfigurationError(*failureMessage);
    }
};

}  // namespace lumadesk
