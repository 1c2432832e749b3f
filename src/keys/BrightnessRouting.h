#pragma once

#include <optional>
#include <string>
#include <vector>

#include "keys/BrightnessHUDTarget.h"
#include "platform/ScreenList.h"
#include "registry/Display.h"

namespace lumadesk {

// The pure decisions of routing a brightness step: which displays take part, which one is under the
// pointer, and what the panel shows afterwards.
struct BrightnessRouting {
    static constexpr const char* allMode = "all";
    static constexpr const char* currentMode = "current";
    static constexpr const char* allDisplaysName = "All Displays";

    // What the panel shows after a step.
    struct PanelContent {
        int brightness = 0;
        std::string displayName;
        BrightnessHUDTarget target;

        friend bool operator==(const PanelContent&, const PanelContent&) = default;
    };

    // The displays a step may change: connected, present and speaking DDC, in list order.
    static std::vector<Display> eligible(const std::vector<Display>& displays);
    // The display under the pointer: the eligible display the screen holding the point shows, when the
    // screen knows its display ID; for a screen that does not, the eligible display at the screen's
    // position in the screen list when ordered by `sortOrder`. Outside every screen, on a screen showing
    // no eligible display, or past the end of that list: the first eligible display. None when nothing
    // is eligible.
    static std::optional<std::string> displayUnderPointer(const std::vector<Display>& eligible,
                                                          const std::vector<Screen>& screens,
                                                          ScreenPoint pointer);
    // The display's level after the step, within 0...100.
    static int stepped(int brightness, int delta);
    // For the panel: the routed display when the mode names an eligible one (or "current" found one),
    // otherwise the mean of all eligible levels truncated toward zero, with the single display's name
    // or "All Displays". None when nothing is eligible.
    static std::optional<PanelContent> panelContent(const std::vector<Display>& eligible,
                                                    const std::string& mode,
                                                    const std::optional<std::string>& displayUnderPointer);
};

}  // namespace lumadesk
