#pragma once

#include <optional>

namespace lumadesk {

// A row's brightness slider: it follows the display's level except while the user drags it, so a
// level reported by an earlier write never pulls the knob from under the pointer. The slider moves in
// fractions of a level; only a move that changes the whole level is delivered, so a slow drag does not
// queue the same level again and again.
class BrightnessSliderState {
public:
    // The row appears with the display's level.
    explicit BrightnessSliderState(int modelBrightness);

    bool isDragging() const { return m_isDragging; }
    // Where the knob stands: the dragged value, else the display's level.
    double position() const;
    // The level shown beside the slider.
    int shownLevel() const;

    // The display's level changed; followed unless a drag is going on.
    void modelChanged(int brightness);
    // A value the user moved the slider to; returns the level to write when it differs from the last
    // one written (or, before any, from the display's level), nothing otherwise.
    std::optional<int> moved(double value);
    // The user started or ended a drag; at its end the knob goes back to the display's level.
    void setEditing(bool editing);

private:
    int m_modelBrightness;
    double m_sliderValue;
    int m_lastLevel;  // the level last written, or the display's when it changed since
    bool m_isDragging = false;
};

}  // namespace lumadesk
