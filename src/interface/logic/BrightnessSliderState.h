#pragma once

#include <optional>

namespace lumadesk {

// A row's brightness slider: it follows the display's level except while the user drags it or while
// writes the user asked for are still on their way, so a level reported by an earlier write never pulls
// the knob from under the pointer or undoes a key step; once the last write has settled (made or failed)
// the slider shows the display's level again. The slider moves in fractions of a level; only a move that
// changes the whole level is delivered, so a slow drag does not queue the same level again and again.
class BrightnessSliderState {
public:
    // The row appears with the display's level.
    explicit BrightnessSliderState(int modelBrightness);

    bool isDragging() const { return m_isDragging; }
    // Whether the slider shows the user's value rather than the display's level.
    bool holdsUserValue() const { return m_isDragging || m_pendingWrites > 0; }
    // Where the knob stands: the user's value while it is held, else the display's level.
    double position() const;
    // The level shown beside the slider.
    int shownLevel() const;

    // The display's level changed; followed unless the user's value is held.
    void modelChanged(int brightness);
    // A value the user moved the slider to; returns the level to write when it differs from the last
    // one written (or, before any, from the display's level), nothing otherwise. A level returned counts
    // as a write on its way until `writeSettled` is called for it.
    std::optional<int> moved(double value);
    // One write returned by `moved` has been made or has failed.
    void writeSettled();
    // The user started or ended a drag; at its end the knob goes back to the display's level unless
    // writes are still on their way.
    void setEditing(bool editing);

private:
    void followModel();

    int m_modelBrightness;
    double m_sliderValue;
    int m_lastLevel;  // the level last written, or the display's when it changed since
    int m_pendingWrites = 0;
    bool m_isDragging = false;
};

}  // namespace lumadesk
