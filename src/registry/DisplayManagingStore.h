#pragma once

#include <vector>

#include "registry/Display.h"
#include "registry/PersistedDisplay.h"
#include "runtime/Clock.h"

namespace lumadesk {

// Keeps the records of known displays and merges them with what the hardware shows.
// Records that cannot be read count as none (a copy is kept aside); writing failures throw
// DefaultsWriteError, from reconcile a DisplayListNotSavedError that carries the merged list.
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
