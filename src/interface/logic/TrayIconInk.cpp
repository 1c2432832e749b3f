#include "interface/logic/TrayIconInk.h"

#include <cmath>

namespace lumadesk {

namespace {

constexpr TrayIconInk::Rgba lightInk{242, 242, 242};
constexpr TrayIconInk::Rgba darkInk{30, 30, 30};
constexpr int haloAlpha = 150;

// Desktops whose panel is dark whatever scheme the user picked.
bool hasDarkPanel(std::string_view currentDesktop) {
    while (!currentDesktop.empty()) {
        const auto end = currentDesktop.find(':');
        const auto name = currentDesktop.substr(0, end);
        if (name == "GNOME" || name == "GNOME-Classic" || name == "ubuntu") return true;
        if (end == std::string_view::npos) break;
        currentDesktop.remove_prefix(end + 1);
    }
    return false;
}

double linear(int channel) {
    const double value = channel / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

}  // namespace

TrayIconInk::TrayIconInk(Rgba schemeWindow, std::string_view currentDesktop)
    : m_panelIsDark(hasDarkPanel(currentDesktop) || isDark(schemeWindow)) {}

TrayIconInk::Rgba TrayIconInk::ink() const {
    return m_panelIsDark ? lightInk : darkInk;
}

TrayIconInk::Rgba TrayIconInk::halo() const {
    Rgba outline = m_panelIsDark ? darkInk : lightInk;
    outline.alpha = haloAlpha;
    return outline;
}

bool TrayIconInk::isDark(Rgba colour) {
    const double luminance =
        0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) + 0.0722 * linear(colour.blue);
    return luminance < 0.5;
}

}  // namespace lumadesk
