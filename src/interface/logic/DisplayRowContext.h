#pragma once

namespace lumadesk {

// Where a display row is drawn: the compact row of the menu-bar popover or the table row of the
// settings window.
enum class DisplayRowContext { popover, settings };

}  // namespace lumadesk
