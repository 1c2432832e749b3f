#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "hardware/DisplaySnapshot.h"

namespace lumadesk {

// Makes the hardware IDs and model names of a snapshot list unique. Displays that share one are
// numbered in ascending unit-number order (ties keep list order): hardware IDs get "-0", "-1", ...,
// model names " (1)", " (2)", ...; the list itself keeps its order.
class DuplicateDisplayNumbering {
public:
    // Numbers the duplicates in place; unitNumbers[i] is the unit number of snapshots[i].
    static void apply(std::vector<DisplaySnapshot>& snapshots, std::span<const std::uint32_t> unitNumbers);
};

}  // namespace lumadesk
