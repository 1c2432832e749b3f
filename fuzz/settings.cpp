// The settings file may be edited by hand or damaged: parse it, and what parses must survive a round
// trip through its own text unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/DefaultsFileFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    lumadesk::DefaultsMap values;
    try {
        values = lumadesk::parseDefaults(text);
    } catch (const lumadesk::DefaultsFormatError&) {
        return 0;
    }
    // Values read from a file must be writable again and read back as the same values.
    const auto again = lumadesk::parseDefaults(lumadesk::serialiseDefaults(values));
    if (lumadesk::serialiseDefaults(again) != lumadesk::serialiseDefaults(values)) __builtin_trap();
    return 0;
}
