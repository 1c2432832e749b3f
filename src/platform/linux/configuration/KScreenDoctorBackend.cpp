#include "platform/linux/configuration/KScreenDoctorBackend.h"

#include <nlohmann/json.hpp>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

// The listing is JSON: {"outputs": [{"name": "DP-1", "enabled": true, "connected": true,
// "pos": {"x": 0, "y": 0}, "size": {"width": 1920, "height": 1080}, ...}]}. Disconnected outputs
// are left out: they cannot be turned on.
std::vector<ToolOutput> KScreenDoctorBackend::parseListing(const std::string& listing) const {
    std::vector<ToolOutput> outputs;
    try {
        const nlohmann::json document = nlohmann::json::parse(listing);
        for (const nlohmann::json& entry : document.at("outputs")) {
            if (!entry.value("connected", false)) continue;
            ToolOutput output{entry.at("name").get<std::string>(), entry.value("enabled", false), {}, {}, 0};
            if (output.enabled && entry.contains("pos")) {
                const int x = entry["pos"].value("x", 0);
                output.position = std::to_string(x) + "," + std::to_string(entry["pos"].value("y", 0));
                output.rightEdge = x + (entry.contains("size") ? entry["size"].value("width", 0) : 0);
            }
            outputs.push_back(std::move(output));
        }
    } catch (const nlohmann::json::exception&) {
        throw OutputConfigurationError(
            "kscreen-doctor listed the displays in a form this program does not read.");
    }
    return outputs;
}

std::vector<std::string> KScreenDoctorBackend::enableArguments(const ToolOutput& output,
                                                               const ToolOutput& saved, int rightEdge) const {
    // KWin brings the output back with its own remembered mode; a place is given only for a first time.
    if (!saved.name.empty()) return {"output." + output.name + ".enable"};
    return {"output." + output.name + ".enable",
            "output." + output.name + ".position." + std::to_string(rightEdge) + ",0"};
}

}  // namespace lumadesk
