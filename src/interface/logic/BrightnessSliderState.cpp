#include "interface/logic/BrightnessSliderState.h"

#include "interface/logic/BrightnessLevel.h"

namespace lumadesk {

BrightnessSliderState::BrightnessSliderState(int modelBrightness)
    : m_modelBrightness(modelBrightness), m_sliderValue(modelBrightness), m_lastLevel(modelBrightness) {}

double BrightnessSliderState::position() const {
    return m_isDragging ? m_sliderValue : m_modelBrightness;
}

int BrightnessSliderState::shownLevel() const {
    return m_isDragging ? roundedLevel(m_sliderValue) : m_modelBrightness;
}

void BrightnessSliderState::modelChanged(int brightness) {
    m_modelBrightness = brightness;
    if (m_isDragging) return;
    m_sliderValue = brightness;
    m_lastLevel = brightness;
}

std::optional<int> BrightnessSliderState::moved(double value) {
    m_sliderValue = value;
    const int level = roundedLevel(value);
    if (level == m_lastLevel) return std::nullopt;
    m_lastLevel = level;
    return level;
}

void BrightnessSliderState::setEditing(bool editing) {
    m_isDragging = editing;
    if (editing) return;
    m_sliderValue = m_modelBrightness;
    m_lastLevel = m_modelBrightness;
}

}  // namespace lumadesk
