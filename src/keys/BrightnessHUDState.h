#pragma once

#include <functional>
#include <string>

#include "runtime/Observable.h"

namespace lumadesk {

// What the panel shows, and what its slider and pointer report back. Main thread only.
class BrightnessHUDState {
public:
    BrightnessHUDState(std::function<void(int)> onBrightnessChange,
                       std::function<void(bool)> onInteractionChange)
        : m_onBrightnessChange(std::move(onBrightnessChange)),
          m_onInteractionChange(std::move(onInteractionChange)) {}

    Observable<int>& brightness() { return m_brightness; }
    Observable<std::string>& displayName() { return m_displayName; }
    Observable<bool>& isVisible() { return m_isVisible; }
    bool isInteracting() const { return m_isInteracting; }

    // The slider moved: the nearest whole level (halves away from zero), clamped to 0...100, is
    // reported when it differs from the shown one.
    void setBrightnessFromSlider(double value);
    // The pointer entered or left the panel.
    void setHovering(bool flag);
    // The slider's drag began or ended.
    void setEditing(bool flag);

private:
    void updateInteracting();

    std::function<void(int)> m_onBrightnessChange;
    std::function<void(bool)> m_onInteractionChange;
    Observable<int> m_brightness{50};
    Observable<std::string> m_displayName{"All Displays"};
    Observable<bool> m_isVisible{false};
    bool m_isEditing = false;
    bool m_isHovering = false;
    bool m_isInteracting = false;
};

}  // namespace lumadesk
