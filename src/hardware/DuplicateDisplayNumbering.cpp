#include "hardware/DuplicateDisplayNumbering.h"

#include <algorithm>
#include <cassert>
#include <map>
#include <string>

namespace lumadesk {

namespace {

// Appends suffix(k) to the text field of every snapshot whose field value occurs more than once, k
// counting from `first` in unit-number order within each group of equal values.
template <typename Suffix>
void numberDuplicates(std::vector<DisplaySnapshot>& snapshots, std::span<const std::uint32_t> unitNumbers,
                      std::string DisplaySnapshot::*field, int first, Suffix suffix) {
    std::map<std::string, std::vector<std::size_t>> positionsByValue;
    for (std::size_t i = 0; i < snapshots.size(); ++i) positionsByValue[snapshots[i].*field].push_back(i);
    for (auto& [value, positions] : positionsByValue) {
        if (positions.size() < 2) continue;
        std::stable_sort(positions.begin(), positions.end(),
                         [&](std::size_t a, std::size_t b) { return unitNumbers[a] < unitNumbers[b]; });
        int k = first;
        for (const std::size_t position : positions) snapshots[position].*field += suffix(k++);
    }
}

}  // namespace

void DuplicateDisplayNumbering::apply(std::vector<DisplaySnapshot>& snapshots,
                                      std::span<const std::uint32_t> unitNumbers) {
    assert(snapshots.size() == unitNumbers.size());
    // The suffixes are appended piece by piece: GCC 12 at -O3 warns wrongly (-Wrestrict) about
    // `"-" + std::to_string(k)`.
    numberDuplicates(snapshots, unitNumbers, &DisplaySnapshot::hardwareID, 0, [](int k) {
        std::string suffix("-");
        return suffix.append(std::to_string(k));
    });
    numberDuplicates(snapshots, unitNumbers, &DisplaySnapshot::modelName, 1, [](int k) {
        std::string suffix(" (");
        return suffix.append(std::to_string(k)).append(")");
    });
}

}  // namespace lumadesk
