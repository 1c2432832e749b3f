#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "hardware/DisplaySnapshot.h"
#include "platform/DisplayID.h"

namespace lumadesk {

// Which external displays are online and how each is identified. Never fails.
class DisplaySnapshotProviding {
public:
    virtual ~DisplaySnapshotProviding() = default;
    DisplaySnapshotProviding() = default;
    DisplaySnapshotProviding(const DisplaySnapshotProviding&) = delete;
    DisplaySnapshotProviding& operator=(const DisplaySnapshotProviding&) = delete;

    // The online external displays the program manages, in the window server's order.
    virtual std::vector<DisplayID> onlineDisplayIDs() = 0;
    // The display as a snapshot; none for a built-in display.
    virtual std::optional<DisplaySnapshot> snapshot(DisplayID displayID) = 0;
    // The display's unit number, which orders identical displays when they are numbered.
    virtual std::uint32_t unitNumber(DisplayID displayID) = 0;
};

}  // namespace lumadesk
