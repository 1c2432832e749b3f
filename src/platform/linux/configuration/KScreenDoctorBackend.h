#pragma once

#include "platform/linux/configuration/CommandLineOutputBackend.h"

namespace lumadesk {

// KDE Plasma on Wayland through kscreen-doctor, which applies a layout through KWin's output
// management. KWin keeps every applied layout and the output's own mode and place, so enabling needs no
// more than the output's name; what this program disables must be enabled again before it ends.
class KScreenDoctorBackend final : public CommandLineOutputBackend {
public:
    explicit KScreenDoctorBackend(ProcessRunning runner = runProcess)
        : CommandLineOutputBackend("kscreen-doctor", "libkf5screen-bin", "KDE Plasma", std::move(runner)) {}

    std::string name() const override { return "KDE Plasma output management (kscreen-doctor)"; }

protected:
    std::vector<ToolOutput> parseListing(const std::string& listing) const override;
    std::vector<std::string> listArguments() const override { return {"--json"}; }
    std::vector<std::string> disableArguments(const ToolOutput& output) const override {
        return {"output." + output.name + ".disable"};
    }
    std::vector<std::string> enableArguments(const ToolOutput& output, const ToolOutput& saved,
                                             int rightEdge) const override;
};

}  // namespace lumadesk
