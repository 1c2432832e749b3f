#pragma once

#include <cstdint>

namespace lumadesk {

// The window server's identifier of an online display. It changes on replug and re-enable, so it is
// only ever a handle for hardware calls, never a stored key.
using DisplayID = std::uint32_t;

}  // namespace lumadesk
