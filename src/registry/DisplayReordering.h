#pragma once

#include <cstddef>
#include <set>
#include <vector>

#include "registry/Display.h"

namespace lumadesk {

// The display list after the user dragged rows of the settings page. `rows` are the displays the page
// lists, in its order (by sortOrder); the rows at `offsets` move before the row at `destination`
// (a destination of rows.size() appends), keeping their relative order. The rows are renumbered
// 0, 1, 2, ... in their new order and come first; the other displays follow in their previous order,
// numbered on from there. Offsets past the rows are ignored; a destination past them appends.
std::vector<Display> reorderedDisplays(const std::vector<Display>& displays, const std::vector<Display>& rows,
                                       const std::set<std::size_t>& offsets, std::size_t destination);

}  // namespace lumadesk
