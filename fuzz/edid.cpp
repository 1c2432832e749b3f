// EDID blocks come from monitors and from the display services' properties: any bytes at all.
#include <cstddef>
#include <cstdint>
#include <span>

#include "hardware/PrivateDisplayBridge.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto identity = lumadesk::PrivateDisplayBridge::identity(std::span(data, size));
    if (identity && size < 2) __builtin_trap();  // an identity needs at least the header it checks
    return 0;
}
