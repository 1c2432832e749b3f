// Desk files are written by hand; every mistake must come back as a SimulatedDeskError.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/simulated/SimulatedDeskFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        lumadesk::SimulatedDeskFile::parse(text, "fuzz.json");
    } catch (const lumadesk::SimulatedDeskError&) {
    }
    return 0;
}
