#pragma once

#include "platform/ScreenList.h"

namespace lumadesk {

// The floating window of the brightness panel, as the panel's logic drives it. It draws the state it
// was created with and never takes the keyboard focus.
class BrightnessHUDPanel {
public:
    virtual ~BrightnessHUDPanel() = default;
    BrightnessHUDPanel() = default;
    BrightnessHUDPanel(const BrightnessHUDPanel&) = delete;
    BrightnessHUDPanel& operator=(const BrightnessHUDPanel&) = delete;

    // Moves the panel's top-left corner.
    virtual void moveTo(ScreenPoint origin) = 0;
    // Brings the panel to the front without activating it.
    virtual void orderFront() = 0;
    // Takes the panel off the screen.
    virtual void orderOut() = 0;
};

}  // namespace lumadesk
