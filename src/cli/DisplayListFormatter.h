#pragma once

#include <string>
#include <vector>

#include "registry/Display.h"

namespace lumadesk {

// Writes display lists for people (an aligned table) and for programs (JSON).
class DisplayListFormatter {
public:
    // One line per display under a header: hardware ID, name, brightness, connected, present, DDC, order.
    // Control characters in names are shown escaped (\x1b), so that a name cannot steer the terminal.
    static std::string table(const std::vector<Display>& displays);
    // A JSON array of objects with the display's fields under their own names; no custom name is null.
    static std::string json(const std::vector<Display>& displays);
};

}  // namespace lumadesk
