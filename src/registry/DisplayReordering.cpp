#include "registry/DisplayReordering.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace lumadesk {

namespace {

void sortBySortOrder(std::vector<Display>& displays) {
    std::ranges::stable_sort(displays, {}, &Display::sortOrder);
}

void numberFrom(std::vector<Display>& displays, std::size_t first) {
    for (std::size_t index = 0; index < displays.size(); ++index) {
        displays[index].sortOrder = static_cast<int>(first + index);
    }
}

}  // namespace

std::vector<Display> reorderedDisplays(const std::vector<Display>& displays, const std::vector<Display>& rows,
                                       const std::set<std::size_t>& offsets, std::size_t destination) {
    // Standard list-move semantics: the untouched rows before the destination, the moved rows, the
    // untouched rows from the destination on.
    std::vector<Display> before;
    std::vector<Display> moved;
    std::vector<Display> after;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (offsets.contains(index)) {
            moved.push_back(rows[index]);
        } else {
            (index < destination ? before : after).push_back(rows[index]);
        }
    }
    std::vector<Display> reordered = std::move(before);
    reordered.insert(reordered.end(), moved.begin(), moved.end());
    reordered.insert(reordered.end(), after.begin(), after.end());
    numberFrom(reordered, 0);

    std::unordered_set<std::string_view> listed;
    for (const auto& row : rows) listed.insert(row.hardwareID);
    std::vector<Display> remaining;
    for (const auto& display : displays) {
        if (!listed.contains(display.hardwareID)) remaining.push_back(display);
    }
    sortBySortOrder(remaining);
    numberFrom(remaining, reordered.size());

    reordered.insert(reordered.end(), remaining.begin(), remaining.end());
    return reordered;
}

}  // namespace lumadesk
