// The stored display records are read back from a file the user (or a crash) may have damaged.
#include <cstddef>
#include <cstdint>

#include "registry/DisplayStoreError.h"
#include "registry/PersistedDisplayCoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const lumadesk::Data bytes(data, data + size);
    try {
        const auto records = lumadesk::decodeDisplayRecords(bytes);
        // What was read must be stored again and read back unchanged.
        const auto encoded = lumadesk::encodeDisplayRecords(records);
        if (lumadesk::encodeDisplayRecords(lumadesk::decodeDisplayRecords(encoded)) != encoded) __builtin_trap();
    } catch (const lumadesk::DisplayStoreError&) {
    }
    return 0;
}
