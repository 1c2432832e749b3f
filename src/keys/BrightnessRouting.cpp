#include "keys/BrightnessRouting.h"

#include <algorithm>

namespace lumadesk {

namespace {

const Display* find(const std::vector<Display>& displays, const std::string& hardwareID) {
    const auto it = std::ranges::find(displays, hardwareID, &Display::hardwareID);
    return it == displays.end() ? nullptr : &*it;
}

}  // namespace

std::vector<Display> BrightnessRouting::eligible(const std::vector<Display>& displays) {
    std::vector<Display> result;
    std::ranges::copy_if(displays, std::back_inserter(result), [](const Display& display) {
        return display.isConnected && display.isPresent && display.supportsDDC;
    });
    return result;
}

std::optional<std::string> BrightnessRouting::displayUnderPointer(const std::vector<Display>& eligible,
                                                                  const std::vector<Screen>& screens,
                                                                  ScreenPoint pointer) {
    const auto first = [&]() -> std::optional<std::string> {
        if (eligible.empty()) return std::nullopt;
        return eligible.front().hardwareID;
    };
    const auto screen =
        std::ranges::find_if(screens, [&](const Screen& s) { return s.frame.contains(pointer); });
    if (screen == screens.end()) return first();
    // A screen that knows which display shows it routes to that display. Only where it does not is the
    // display guessed from the screen's place in the list, which goes wrong as soon as the screen order
    // differs from the user's order or a screen without DDC (a laptop panel) comes first.
    if (screen->displayID != 0) {
        const auto shown = std::ranges::find(eligible, screen->displayID, &Display::id);
        return shown != eligible.end() ? std::optional(shown->hardwareID) : first();
    }
    const auto index = static_cast<std::size_t>(screen - screens.begin());
    auto sorted = eligible;
    std::ranges::stable_sort(sorted, {}, &Display::sortOrder);
    if (index < sorted.size()) return sorted[index].hardwareID;
    return first();
}

int BrightnessRouting::stepped(int brightness, int delta) {
    return std::clamp(brightness + delta, 0, 100);
}

std::optional<BrightnessRouting::PanelContent> BrightnessRouting::panelContent(
    const std::vector<Display>& eligible, const std::string& mode,
    const std::optional<std::string>& displayUnderPointer) {
    if (eligible.empty()) return std::nullopt;
    std::optional<std::string> routed;
    if (mode == currentMode) {
        routed = displayUnderPointer;
    } else if (mode != allMode) {
        routed = mode;
    }
    if (routed) {
        if (const auto* display = find(eligible, *routed)) {
            return PanelContent{display->brightness, display->displayName(),
                                BrightnessHUDTarget::display(display->hardwareID)};
        }
    }
    double sum = 0;
    for (const auto& display : eligible) sum += display.brightness;
    const int mean = static_cast<int>(sum / static_cast<double>(eligible.size()));
    const std::string name = eligible.size() == 1 ? eligible.front().displayName() : allDisplaysName;
    return PanelContent{mean, name, BrightnessHUDTarget::all()};
}

}  // namespace lumadesk
