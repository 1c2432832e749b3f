#include "interface/logic/BrightnessSliderState.h"

#include "interface/logic/BrightnessLevel.h"

namespace lumadesk {

BrightnessSliderState::BrightnessSliderState(int modelBrightness)
    : m_modelBrightness(modelBrightness), m_sliderValue(modelBrightness) {}

double BrightnessSliderState::position() const {
    return m_isDragging ? m_sliderValue : m_modelBrightness;
}

int BrightnessSliderState::shownLevel() const {
    return m_isDragging ? roundedLevel(m_sliderValue) : m_modelBrightness;
}

void BrightnessSliderState::modelChanged(int brightness) {
    m_modelBrightness = brightness;
    if (!m_isDragging) m_sliderValue = brightness;
}

int BrightnessSliderState::moved(double value) {
    m_sliderValue = value;
    return roundedLevel(value);
}

void BrightnessSliderState::setEditing(bool editing) {
    m_isDragging = editing;
    if (!editing) m_sliderValue = m_modelBrightness;
}

}  // namespace lumadesk
