// The record of displays held off the desktop may be damaged or edited by hand: parse it, and what
// parses must survive a round trip through its own text unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/linux/configuration/DisabledOutputsRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<lumadesk::HeldOutput> outputs;
    try {
        outputs = lumadesk::parseHeldOutputs(text);
    } catch (const nlohmann::json::exception&) {
        return 0;
    }
    // What was read must be written and read back as the same outputs.
    if (lumadesk::parseHeldOutputs(lumadesk::heldOutputsText(outputs)) != outputs) __builtin_trap();
    return 0;
}
