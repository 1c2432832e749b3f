// A DDC/CI reply is whatever the monitor (or a noisy bus) sends back.
#include <cstddef>
#include <cstdint>
#include <span>

#include "hardware/DDCReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto value = lumadesk::DDCReply::currentValue(std::span(data, size));
    // Only a complete reply can carry a value.
    if (value && size < lumadesk::DDCReply::length) __builtin_trap();
    return 0;
}
