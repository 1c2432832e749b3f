#pragma once

#include "registry/DisplayManagingStore.h"
#include "runtime/UserDefaults.h"

namespace lumadesk {

// The display records kept in the user defaults, as one JSON array under "persistedDisplays".
class DisplayStore final : public DisplayManagingStore {
public:
    // The defaults key of the stored records.
    static constexpr char storageKey[] = "persistedDisplays";
    // The most records kept: beyond it, the least recently seen are dropped when loading and saving.
    static constexpr std::size_t maximumRecordCount = 10'000;

    // The defaults must outlive the store.
    explicit DisplayStore(UserDefaults& defaults) : m_defaults(defaults) {}

    std::vector<PersistedDisplay> load() const override;
    void save(std::vector<PersistedDisplay> records) override;
    std::vector<Display> reconcile(const std::vector<Display>& displays, WallInstant now) override;

private:
    UserDefaults& m_defaults;
};

}  // namespace lumadesk
