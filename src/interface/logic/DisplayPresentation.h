#pragma once

#include <string>

#include "registry/Display.h"

namespace lumadesk {

// What the views show of one display: its name, whether its brightness can be set, and the texts and
// symbols that depend on its state.
class DisplayPresentation {
public:
    explicit DisplayPresentation(const Display& display) : m_display(display) {}
    explicit DisplayPresentation(Display&&) = delete;  // would outlive the display it reads

    // The custom name when one is set (even an empty one), else the model name.
    const std::string& name() const { return m_display.displayName(); }
    // Present, connected and speaking DDC: only then does a slider act on it.
    bool isControllable() const;
    // The model name as a second line, shown only under a custom name that differs from it.
    bool showsModelName() const;
    // The symbol of the popover row: a plain display while connected, a warning badge otherwise.
    const char* iconSymbol() const;
    // Why the brightness slider does or does not act, for its tooltip.
    std::string brightnessHelpText() const;
    // Tooltip and accessibility label of the connection switch: what flipping it does.
    std::string connectionSwitchLabel() const;
    // Accessibility label of the brightness slider.
    std::string sliderLabel() const;
    // Accessibility label of the rename button.
    std::string renameLabel() const;

private:
    const Display& m_display;
};

}  // namespace lumadesk
