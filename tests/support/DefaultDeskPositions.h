#pragma once

#include <cstddef>

namespace lumadesk {

// Where the compiled-in default desk lists its DDC monitors: the twins, then Eastlake.
inline constexpr std::size_t leftTwin = 1;
inline constexpr std::size_t rightTwin = 2;
inline constexpr std::size_t eastlake = 7;

}  // namespace lumadesk
