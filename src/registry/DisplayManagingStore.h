#pragma once

#include <vector>

#include "registry/Display.h"
#include "registry/PersistedDisplay.h"
#include "runtime/Clock.h"

namespace lumadesk {

// Keeps the records of known displays and merges them with what the hardware shows.
// Reading failures throw DisplayStoreError; writing failures throw DefaultsWriteError.
class DisplayManagingStore {
public:
    virtual ~DisplayManagingStore() = default;
    DisplayManagingStore() = default;
    DisplayManagingStore(const DisplayManagingStore&) = delete;
    DisplayManagingStore& operator=(const DisplayManagingStore&) = delete;

    // The stored records; empty when nothing has been stored yet.
    virtual std::vector<PersistedDisplay> load() const = 0;
    // Replaces the stored records with these, ordered by ascending sortOrder.
    virtual void save(std::vector<PersistedDisplay> records) = 0;
    // Merges the online displays with the stored records, saves the result and returns the full list.
    virtual std::vector<Display> reconcile(const std::vector<Display>& displays, WallInstant now) = 0;
};

}  // namespace lumadesk
