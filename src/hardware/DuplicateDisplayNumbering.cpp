#include "hardware/DuplicateDisplayNumbering.h"

#include <algorithm>
#include <cassert>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace lumadesk {

namespace {

using Groups = std::map<std::string, std::vector<std::size_t>>;

// Positions of the snapshots by the value of a text field, each group in unit-number order.
Groups groupsOf(const std::vector<DisplaySnapshot>& snapshots, std::span<const std::uint32_t> unitNumbers,
                std::string DisplaySnapshot::*field) {
    Groups groups;
    for (std::size_t i = 0; i < snapshots.size(); ++i) groups[snapshots[i].*field].push_back(i);
    for (auto& [value, positions] : groups) {
        std::stable_sort(positions.begin(), positions.end(),
                         [&](std::size_t a, std::size_t b) { return unitNumbers[a] < unitNumbers[b]; });
    }
    return groups;
}

// The hardware ID with its duplicate number. Built piece by piece: GCC 12 at -O3 warns wrongly
// (-Wrestrict) about `id + "-" + std::to_string(k)`.
std::string numberedID(const std::string& hardwareID, int k) {
    std::string numbered(hardwareID);
    return numbered.append("-").append(std::to_string(k));
}

// Whether a held display off the desktop was numbered as a twin of this hardware ID ("ID-k").
bool hasHeldTwin(const std::string& hardwareID, const std::set<std::string, std::less<>>& heldOff) {
    const std::string prefix = hardwareID + "-";
    for (auto it = heldOff.lower_bound(prefix); it != heldOff.end() && it->starts_with(prefix); ++it) {
        const std::string_view number = std::string_view(*it).substr(prefix.size());
        if (!number.empty() && std::ranges::all_of(number, [](char c) { return c >= '0' && c <= '9'; }))
            return true;
    }
    return false;
}

void numberHardwareIDs(std::vector<DisplaySnapshot>& snapshots, std::span<const std::uint32_t> unitNumbers,
                       const HeldDisplays& held) {
    std::set<DisplayID> online;
    for (const auto& snapshot : snapshots) online.insert(snapshot.displayID);
    std::set<std::string, std::less<>> heldOff;
    for (const auto& [hardwareID, displayID] : held) {
        if (!online.contains(displayID)) heldOff.insert(hardwareID);
    }

    const Groups groups = groupsOf(snapshots, unitNumbers, &DisplaySnapshot::hardwareID);
    const auto isNumbered = [&](const auto& group) {
        return group.second.size() > 1 || hasHeldTwin(group.first, heldOff);
    };
    // Taken: the IDs of held displays that are off, and those of displays that keep their own.
    std::set<std::string, std::less<>> taken = heldOff;
    for (const auto& group : groups) {
        if (!isNumbered(group)) taken.insert(group.first);
    }
    for (const auto& group : groups) {
        if (!isNumbered(group)) continue;
        int k = 0;
        for (const std::size_t position : group.second) {
            std::string numbered;
            do {
                numbered = numberedID(group.first, k++);
            } while (taken.contains(numbered));
            taken.insert(numbered);
            snapshots[position].hardwareID = std::move(numbered);
        }
    }
}

void numberModelNames(std::vector<DisplaySnapshot>& snapshots, std::span<const std::uint32_t> unitNumbers) {
    for (const auto& [name, positions] : groupsOf(snapshots, unitNumbers, &DisplaySnapshot::modelName)) {
        if (positions.size() < 2) continue;
        int k = 1;
        for (const std::size_t position : positions) {
            snapshots[position].modelName.append(" (").append(std::to_string(k++)).append(")");
        }
    }
}

}  // namespace

void DuplicateDisplayNumbering::apply(std::vector<DisplaySnapshot>& snapshots,
                                      std::span<const std::uint32_t> unitNumbers, const HeldDisplays& held) {
    assert(snapshots.size() == unitNumbers.size());
    numberHardwareIDs(snapshots, unitNumbers, held);
    numberModelNames(snapshots, unitNumbers);
}

}  // namespace lumadesk
