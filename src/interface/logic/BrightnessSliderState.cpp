#include "interface/logic/BrightnessSliderState.h"

#include "interface/logic/BrightnessLevel.h"

namespace lumadesk {

BrightnessSliderState::BrightnessSliderState(int modelBrightness)
    : m_modelBrightness(modelBrightness), m_sliderValue(modelBrightness), m_lastLevel(modelBrightness) {}

double BrightnessSliderState::position() const {
    return holdsUserValue() ? m_sliderValue : m_modelBrightness;
}

int BrightnessSliderState::shownLevel() const {
    return holdsUserValue() ? roundedLevel(m_sliderValue) : m_modelBrightness;
}

void BrightnessSliderState::modelChanged(int brightness) {
    m_modelBrightness = brightness;
    if (!holdsUserValue()) followModel();
}

std::optional<int> BrightnessSliderState::moved(double value) {
    m_sliderValue = value;
    const int level = roundedLevel(value);
    if (level == m_lastLevel) return std::nullopt;
    m_lastLevel = level;
    ++m_pendingWrites;
    return level;
}

void BrightnessSliderState::writeSettled() {
    if (m_pendingWrites > 0) --m_pendingWrites;
    if (!holdsUserValue()) followModel();
}

void BrightnessSliderState::setEditing(bool editing) {
    m_isDragging = editing;
    if (!holdsUserValue()) followModel();
}

void BrightnessSliderState::followModel() {
    m_sliderValue = m_modelBrightness;
    m_lastLevel = m_modelBrightness;
}

}  // namespace lumadesk
