#include "platform/linux/configuration/WlrRandrBackend.h"

#include <cmath>
#include <sstream>

namespace lumadesk {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first);
}

}  // namespace

// The listing names each output at the start of a line ("DP-1 \"Dell Inc. ...\""), followed by
// indented fields: "Enabled: yes", "Modes:" with one indented line per mode ("1920x1080 px, 60.000000
// Hz (preferred, current)"), "Position: 1920,0" and "Scale: 1.000000".
std::vector<ToolOutput> WlrRandrBackend::parseListing(const std::string& listing) const {
    std::vector<ToolOutput> outputs;
    std::istringstream lines(listing);
    std::string line;
    int width = 0;
    double scale = 1;
    bool preferred = false;
    const auto finish = [&] {
        if (!outputs.empty() && preferred) outputs.back().unpreferredMode.clear();
        if (!outputs.empty() && outputs.back().enabled && scale > 0) {
            const int x = std::atoi(outputs.back().position.c_str());
            outputs.back().rightEdge = x + static_cast<int>(std::lround(width / scale));
        }
    };
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        if (line.front() != ' ' && line.front() != '\t') {
            finish();
            outputs.push_back({line.substr(0, line.find(' ')), false, {}, {}, 0});
            width = 0;
            scale = 1;
            preferred = false;
            continue;
        }
        if (outputs.empty()) continue;
        ToolOutput& output = outputs.back();
        const std::string field = trimmed(line);
        if (field.starts_with("Enabled:")) {
            output.enabled = trimmed(field.substr(8)) == "yes";
        } else if (field.starts_with("Position:")) {
            output.position = trimmed(field.substr(9));
        } else if (field.starts_with("Scale:")) {
            scale = std::atof(field.substr(6).c_str());
        } else if (field.find(" px, ") != std::string::npos) {
            // "1920x1080 px, 59.951000 Hz (current)" becomes the option value "1920x1080@59.951000Hz".
            std::istringstream mode(field);
            std::string size, px, rate;
            mode >> size >> px >> rate;
            const std::string value = size + "@" + rate + "Hz";
            preferred = preferred || field.find("preferred") != std::string::npos;
            // A mode of no size or rate ("0x0 px", as outputs without modes list) cannot be asked for.
            if (output.unpreferredMode.empty() && !rate.empty() && !size.starts_with("0x"))
                output.unpreferredMode = value;
            if (field.find("current") == std::string::npos) continue;
            output.mode = value;
            width = std::atoi(size.c_str());
        }
    }
    finish();
    return outputs;
}

std::vector<std::string> WlrRandrBackend::enableArguments(const ToolOutput& output, const ToolOutput& saved,
                                                          int rightEdge) const {
    if (saved.mode.empty()) {
        // "--preferred" fails on an output that marks no mode preferred: its first mode serves instead.
        std::vector<std::string> arguments{"--output", output.name, "--on"};
        if (output.unpreferredMode.empty()) {
            arguments.emplace_back("--preferred");
        } else {
            arguments.insert(arguments.end(), {"--mode", output.unpreferredMode});
        }
        arguments.insert(arguments.end(), {"--pos", std::to_string(rightEdge) + ",0"});
        return arguments;
    }
    return {"--output", output.name, "--on", "--mode", saved.mode, "--pos", saved.position};
}

}  // namespace lumadesk
