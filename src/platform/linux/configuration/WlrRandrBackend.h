#pragma once

#include "platform/linux/configuration/CommandLineOutputBackend.h"

namespace lumadesk {

// wlroots compositors (Sway, Hyprland, river, ...) through wlr-randr, which speaks their output
// management protocol. Debian ships no protocol file for a client of our own; a native client can
// replace this class behind the same interface once it does.
class WlrRandrBackend final : public CommandLineOutputBackend {
public:
    explicit WlrRandrBackend(ProcessRunning runner = runProcess)
        : CommandLineOutputBackend("wlr-randr", "wlr-randr", "this Wayland session", std::move(runner)) {}

    std::string name() const override { return "wlroots output management (wlr-randr)"; }

protected:
    std::vector<ToolOutput> parseListing(const std::string& listing) const override;
    std::vector<std::string> listArguments() const override { return {}; }
    std::vector<std::string> disableArguments(const ToolOutput& output) const override {
        return {"--output", output.name, "--off"};
    }
    std::vector<std::string> enableArguments(const ToolOutput& output, const ToolOutput& saved,
                                             int rightEdge) const override;
};

}  // namespace lumadesk
