#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "registry/Display.h"

namespace lumadesk {

// A display as automation sees it: identified by its hardware ID, shown by the name it had when the
// entity was made.
struct DisplayEntity {
    // The name automation gives the type.
    static constexpr std::string_view typeName = "Display";
    // Follows the name of a display this program holds off the desktop: space, en dash, space.
    static constexpr std::string_view disconnectedSuffix = " \xE2\x80\x93 disconnected";

    std::string hardwareID{};  // also the entity's identifier
    std::string displayName{};
    std::string modelName{};

    friend bool operator==(const DisplayEntity&, const DisplayEntity&) = default;
};

// The entities of the displays, sorted by sortOrder (stable), each named by its display name with
// disconnectedSuffix when it is not connected.
std::vector<DisplayEntity> makeDisplayEntities(std::vector<Display> displays);

}  // namespace lumadesk
