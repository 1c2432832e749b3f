#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "hardware/DisplaySnapshot.h"

namespace lumadesk {

// Makes the hardware IDs and model names of a snapshot list unique. Displays that share one are
// numbered in ascending unit-number order (ties keep list order): hardware IDs get "-0", "-1", ...,
// model names " (1)", " (2)", ...; the list itself keeps its order.
//
// A numbered hardware ID never equals another display's: a number whose ID is already taken (another
// monitor's own ID, or a held display's) is skipped. While the program holds one of a group of identical
// monitors off the desktop, the others keep their numbers, so that their stored records still fit them;
// a held display counts as off when none of the snapshots carries its display ID.
class DuplicateDisplayNumbering {
public:
    // Numbers the duplicates in place; unitNumbers[i] is the unit number of snapshots[i].
    static void apply(std::vector<DisplaySnapshot>& snapshots, std::span<const std::uint32_t> unitNumbers,
                      const HeldDisplays& held = {});
};

}  // namespace lumadesk
