#pragma once

#include <string_view>

namespace lumadesk {

// The colours the tray icon is drawn in. A tray does not tell the icon what its panel looks like, so
// the panel is taken from what the desktop does tell: GNOME Shell's top bar is dark in every scheme,
// the panels of the other desktops follow the desktop's colour scheme. The symbol is drawn in the
// panel's text colour (light on dark, dark on light), inside a faint outline of the other shade that
// keeps it visible on a panel that is not what it was taken for.
class TrayIconInk {
public:
    struct Rgba {
        int red = 0;
        int green = 0;
        int blue = 0;
        int alpha = 255;
        friend bool operator==(const Rgba&, const Rgba&) = default;
    };

    // `schemeWindow` is the window colour of the desktop's scheme; `currentDesktop` the session's
    // desktop names (XDG_CURRENT_DESKTOP, colon-separated).
    TrayIconInk(Rgba schemeWindow, std::string_view currentDesktop);

    bool panelIsDark() const { return m_panelIsDark; }
    // The symbol's colour.
    Rgba ink() const;
    // The outline's colour: the other shade, faint.
    Rgba halo() const;

    // Whether a colour reads as dark (relative luminance below one half).
    static bool isDark(Rgba colour);

private:
    bool m_panelIsDark;
};

}  // namespace lumadesk
