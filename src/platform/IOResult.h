#pragma once

#include <cstdint>

namespace lumadesk {

// Status of one call on an I2C channel: 0 on success, a platform error code otherwise.
using IOResult = std::int32_t;

inline constexpr IOResult ioSuccess = 0;

}  // namespace lumadesk
