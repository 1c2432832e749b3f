// EDID blocks come from monitors and from the display services' properties: any bytes at all.
#include <cstddef>
#include <cstdint>
#include <span>

#include "edid/Edid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const lumadesk::Edid edid(std::span(data, size));
    if (edid.identity() && size < 16) __builtin_trap();  // an identity needs the bytes it reads
    const auto block = edid.validBaseBlock();
    if (!block.empty() &&
        (block.size() != lumadesk::Edid::blockSize || !lumadesk::Edid(block).isValidBaseBlock()))
        __builtin_trap();
    if (const auto text = edid.serialText(); text && (text->empty() || text->size() > 13)) __builtin_trap();
    edid.productName();
    return 0;
}
