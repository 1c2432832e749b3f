// A DDC/CI reply is whatever the monitor (or a noisy bus) sends back.
#include <cstddef>
#include <cstdint>
#include <span>

#include "hardware/DDCReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the feature asked for; the rest is the reply.
    const auto reply = std::span(data + 1, size - 1);
    const auto value = lumadesk::DDCReply::currentValue(data[0], reply);
    // Only a complete reply to the feature asked for can carry a value, and never the null message.
    if (value && (reply.size() < lumadesk::DDCReply::length || reply[4] != data[0])) __builtin_trap();
    if (value && lumadesk::DDCReply::isNullMessage(reply)) __builtin_trap();
    return 0;
}
