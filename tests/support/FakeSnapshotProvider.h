#pragma once

#include <map>
#include <vector>

#include "hardware/DisplaySnapshotProviding.h"

namespace lumadesk {

// A snapshot provider that lists the given IDs and describes those it has a snapshot for; unit numbers
// not set read as 0.
class FakeSnapshotProvider final : public DisplaySnapshotProviding {
public:
    std::vector<DisplayID> onlineDisplayIDs() override { return displayIDs; }

    std::optional<DisplaySnapshot> snapshot(DisplayID displayID) override {
        const auto found = snapshots.find(displayID);
        if (found == snapshots.end()) return std::nullopt;
        return found->second;
    }

    std::uint32_t unitNumber(DisplayID displayID) override {
        const auto found = units.find(displayID);
        return found == units.end() ? 0 : found->second;
    }

    // Lists the display and describes it.
    void add(DisplaySnapshot snapshot) {
        displayIDs.push_back(snapshot.displayID);
        snapshots[snapshot.displayID] = std::move(snapshot);
    }

    std::vector<DisplayID> displayIDs;
    std::map<DisplayID, DisplaySnapshot> snapshots;
    std::map<DisplayID, std::uint32_t> units;
};

}  // namespace lumadesk
