#pragma once

#include <vector>

#include "registry/PersistedDisplay.h"
#include "runtime/UserDefaults.h"

namespace lumadesk {

// The stored form of the display records: one compact JSON array of objects.

// The bytes of the JSON array holding the records in the given order.
Data encodeDisplayRecords(const std::vector<PersistedDisplay>& records);

// The records of a stored JSON array; throws DisplayStoreError naming the first problem found.
std::vector<PersistedDisplay> decodeDisplayRecords(const Data& bytes);

}  // namespace lumadesk
