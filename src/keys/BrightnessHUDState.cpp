#include "keys/BrightnessHUDState.h"

#include <algorithm>
#include <cmath>

namespace lumadesk {

void BrightnessHUDState::setBrightnessFromSlider(double value) {
    if (!std::isfinite(value)) return;
    const int level = static_cast<int>(std::lround(std::clamp(value, 0.0, 100.0)));
    if (m_brightness.set(level) && m_onBrightnessChange) m_onBrightnessChange(level);
}

void BrightnessHUDState::setHovering(bool flag) {
    m_isHovering = flag;
    updateInteracting();
}

void BrightnessHUDState::setEditing(bool flag) {
    m_isEditing = flag;
    updateInteracting();
}

void BrightnessHUDState::updateInteracting() {
    const bool interacting = m_isEditing || m_isHovering;
    if (interacting == m_isInteracting) return;
    m_isInteracting = interacting;
    if (m_onInteractionChange) m_onInteractionChange(interacting);
}

}  // namespace lumadesk
