#include "platform/linux/LinuxScreenList.h"

#include <algorithm>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

namespace {

// The name as X drivers may spell it: "HDMI-A-1", "HDMI-1" and "HDMI1" all read "HDMI1".
std::string looseName(std::string name) {
    if (name.starts_with("HDMI-A-")) name.erase(4, 2);
    std::erase(name, '-');
    return name;
}

// The one online connector the predicate accepts; 0 when none or several do.
template <typename Predicate>
DisplayID onlyOnline(const std::vector<LinuxDisplay>& displays, Predicate accepts) {
    DisplayID found = 0;
    int count = 0;
    for (const auto& display : displays) {
        if (!display.connector.isOnline() || !accepts(display.connector)) continue;
        found = display.connector.connectorID;
        ++count;
    }
    return count == 1 ? found : 0;
}

// The window system's name of the output that shows the connector's monitor, found by EDID.
std::optional<std::string> outputShowing(const DrmConnector& connector,
                                         const std::vector<OutputCandidate>& outputs) {
    try {
        if (const auto index = findOutput({connector.outputName(), connector.edid}, outputs))
            return outputs[*index].name;
    } catch (const OutputConfigurationError&) {
        // Two monitors of one model that no name tells apart: neither is placed.
    }
    return std::nullopt;
}

}  // namespace

DisplayID LinuxScreenList::displayShowing(const std::vector<LinuxDisplay>& displays,
                                          const std::vector<OutputCandidate>& outputs,
                                          const std::string& outputName) {
    if (!outputs.empty()) {
        const DisplayID placed = onlyOnline(displays, [&](const DrmConnector& connector) {
            return outputShowing(connector, outputs) == outputName;
        });
        if (placed != 0) return placed;
    }
    const auto exact = [&](const DrmConnector& connector) { return connector.outputName() == outputName; };
    const bool anyExact = std::any_of(displays.begin(), displays.end(), [&](const LinuxDisplay& display) {
        return display.connector.isOnline() && exact(display.connector);
    });
    // An exact name shared by two cards is ambiguous; the loose reading would not make it less so.
    if (anyExact) return onlyOnline(displays, exact);
    const std::string loose = looseName(outputName);
    return onlyOnline(
        displays, [&](const DrmConnector& connector) { return looseName(connector.outputName()) == loose; });
}

Screen LinuxScreenList::matched(Screen screen, const std::vector<LinuxDisplay>& displays,
                                const std::vector<OutputCandidate>& outputs) const {
    screen.displayID = displayShowing(displays, outputs, screen.localizedName);
    if (screen.displayID == 0) return screen;
    const auto display = std::find_if(displays.begin(), displays.end(), [&](const LinuxDisplay& candidate) {
        return candidate.connector.connectorID == screen.displayID;
    });
    // A monitor without a name in its EDID leaves the naming to the registry, as on the command line.
    screen.localizedName = display->connector.productName().value_or("");
    return screen;
}

std::vector<Screen> LinuxScreenList::screens() {
    if (!m_desktop) return {};
    const auto displays = m_directory.displays();
    const auto outputs = m_outputConfiguration.connectedOutputs();
    std::vector<Screen> screens;
    for (auto& screen : m_desktop->screens())
        screens.push_back(matched(std::move(screen), displays, outputs));
    return screens;
}

std::optional<Screen> LinuxScreenList::mainScreen() {
    if (!m_desktop) return std::nullopt;
    auto screen = m_desktop->mainScreen();
    if (!screen) return std::nullopt;
    return matched(std::move(*screen), m_directory.displays(), m_outputConfiguration.connectedOutputs());
}

ScreenPoint LinuxScreenList::pointerLocation() {
    return m_desktop ? m_desktop->pointerLocation() : ScreenPoint{};
}

}  // namespace lumadesk
