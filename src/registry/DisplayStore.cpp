#include "registry/DisplayStore.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <variant>

#include "registry/DisplayStoreError.h"
#include "registry/PersistedDisplayCoding.h"
#include "registry/SyntheticDisplayID.h"

namespace lumadesk {

namespace {

// Records of displays unseen for longer than this are forgotten.
constexpr auto forgetAfter = std::chrono::seconds{2'592'000};  // 30 days
// Displays of vendor 1552 are listed only while online: their records never become absent rows,
// unless the program holds them disconnected.
constexpr std::string_view notKeptWhileAbsentPrefix = "1552-";
constexpr int fullBrightness = 100;

// One row of the reconciled list with the record stored for it.
struct Entry {
    Display display;
    PersistedDisplay record;
    // Order before renumbering; wider than sortOrder so that "after the last stored one" cannot overflow.
    std::int64_t position;
};

// The level an online display shows: the one read from it (0 means none could be read), else the last
// one known, else full. A first sighting follows the same rule, so that a display without DDC shows the
// same level on its first run as on every later one.
int shownBrightness(int read, std::optional<int> lastBrightness) {
    return read >= 1 ? read : lastBrightness.value_or(fullBrightness);
}

// An online display that has a record: the record's name and order win, the display's state is taken.
Entry returningEntry(const Display& online, const PersistedDisplay& stored, WallInstant now) {
    const int brightness = shownBrightness(online.brightness, stored.lastBrightness);
    Entry entry{online, stored, stored.sortOrder};
    entry.display.customName = stored.customName;
    entry.display.brightnessRange = stored.brightnessRange;
    entry.display.followsBuiltInScreen = stored.followsBuiltInScreen;
    entry.display.brightness = brightness;
    entry.display.isPresent = true;
    entry.record.modelName = online.modelName;
    entry.record.isConnected = online.isConnected;
    entry.record.lastSeenAt = now;
    // A display still listed although it is held (the window server has not taken it off yet) keeps its
    // saved ID; without one stored, the ID it is listed with is the one that re-enables it.
    entry.record.savedDisplayID =
        online.isConnected ? std::nullopt : std::optional(stored.savedDisplayID.value_or(online.id));
    entry.record.lastBrightness = brightness >= 1 ? std::optional(brightness) : stored.lastBrightness;
    return entry;
}

// An online display seen for the first time: no name yet, placed at the end of the order.
Entry newEntry(const Display& online, std::int64_t position, WallInstant now) {
    Entry entry{online, PersistedDisplay{}, position};
    entry.display.customName = std::nullopt;
    entry.display.brightness = shownBrightness(online.brightness, std::nullopt);
    entry.display.isPresent = true;
    entry.record.hardwareID = online.hardwareID;
    entry.record.modelName = online.modelName;
    entry.record.isConnected = online.isConnected;
    entry.record.lastSeenAt = now;
    if (!online.isConnected) entry.record.savedDisplayID = online.id;
    return entry;
}

bool keptWhileAbsent(const PersistedDisplay& stored, WallInstant now) {
    // A display the program holds disconnected is off the desktop, not gone: forgetting its saved ID
    // would leave it disabled with no way back, whatever its vendor and however long it has been off.
    if (!stored.isConnected && stored.savedDisplayID) return true;
    // Compared this way round so that a far-past timestamp cannot overflow a difference.
    return stored.lastSeenAt >= now - forgetAfter && !stored.hardwareID.starts_with(notKeptWhileAbsentPrefix);
}

// A known display that is not online, rebuilt from its record, which is stored again unchanged.
Entry absentEntry(const PersistedDisplay& stored) {
    Display display{
        .id = syntheticDisplayID(stored.hardwareID),
        .hardwareID = stored.hardwareID,
        .modelName = stored.modelName.value_or(stored.hardwareID),
        .customName = stored.customName,
        .brightness = 0,
        .isConnected = stored.isConnected,
        .isPresent = false,
        .supportsDDC = false,
        .sortOrder = stored.sortOrder,
        .brightnessRange = stored.brightnessRange,
        .followsBuiltInScreen = stored.followsBuiltInScreen,
    };
    return Entry{std::move(display), stored, stored.sortOrder};
}

// The user's order; on a tie present displays first, then by hardware ID for a stable result.
bool comesBefore(const Entry& a, const Entry& b) {
    if (a.position != b.position) return a.position < b.position;
    if (a.display.isPresent != b.display.isPresent) return a.display.isPresent;
    return a.display.hardwareID < b.display.hardwareID;
}

// At most maximumRecordCount items: those whose record is held disconnected first (they must never be
// forgotten), then the most recently seen. The list keeps its order.
template <typename Item, typename RecordOf>
std::vector<Item> mostRecentlySeen(std::vector<Item> items, RecordOf recordOf) {
    if (items.size() <= DisplayStore::maximumRecordCount) return items;
    const auto isHeld = [](const PersistedDisplay& record) {
        return !record.isConnected && record.savedDisplayID;
    };
    std::vector<const Item*> ranked;
    ranked.reserve(items.size());
    for (const auto& item : items) ranked.push_back(&item);
    std::ranges::stable_sort(ranked, [&](const Item* a, const Item* b) {
        const PersistedDisplay& first = recordOf(*a);
        const PersistedDisplay& second = recordOf(*b);
        if (isHeld(first) != isHeld(second)) return isHeld(first);
        return first.lastSeenAt > second.lastSeenAt;
    });
    const std::unordered_set<const Item*> kept(ranked.begin(),
                                               ranked.begin() + DisplayStore::maximumRecordCount);
    std::vector<Item> result;
    result.reserve(DisplayStore::maximumRecordCount);
    for (auto& item : items) {
        if (kept.contains(&item)) result.push_back(std::move(item));
    }
    return result;
}

const PersistedDisplay& itself(const PersistedDisplay& record) {
    return record;
}

}  // namespace

std::vector<PersistedDisplay> DisplayStore::load() const {
    const std::optional<DefaultsValue> stored = m_defaults.value(storageKey);
    if (!stored) return {};
    const Data* bytes = std::get_if<Data>(&*stored);
    try {
        if (bytes) return mostRecentlySeen(decodeDisplayRecords(*bytes), itself);
    } catch (const DisplayStoreError&) {
        // Damaged like a value of another type: handled the same way below.
    }
    // Read as no records, so the next save replaces it and the program recovers: the user is told where
    // a copy is kept.
    m_defaults.keepCopyOfUnusableValue(storageKey);
    return {};
}

void DisplayStore::save(std::vector<PersistedDisplay> records) {
    records = mostRecentlySeen(std::move(records), itself);
    std::stable_sort(
        records.begin(), records.end(),
        [](const PersistedDisplay& a, const PersistedDisplay& b) { return a.sortOrder < b.sortOrder; });
    m_defaults.setValue(storageKey, encodeDisplayRecords(records));
}

std::vector<Display> DisplayStore::reconcile(const std::vector<Display>& displays, WallInstant now) {
    const std::vector<PersistedDisplay> stored = load();

    // Hand-edited data may repeat a hardware ID; the first record wins so that IDs stay unique in the list.
    std::unordered_map<std::string_view, const PersistedDisplay*> storedByHardwareID;
    for (const auto& record : stored) storedByHardwareID.try_emplace(record.hardwareID, &record);
    std::int64_t nextPosition = 0;
    if (!stored.empty()) {
        nextPosition = std::int64_t{std::ranges::max(stored, {}, &PersistedDisplay::sortOrder).sortOrder} + 1;
    }

    std::vector<Entry> entries;
    std::unordered_set<std::string_view> onlineHardwareIDs;
    for (const auto& online : displays) {
        onlineHardwareIDs.insert(online.hardwareID);
        auto found = storedByHardwareID.find(online.hardwareID);
        entries.push_back(found != storedByHardwareID.end() ? returningEntry(online, *found->second, now)
                                                            : newEntry(online, nextPosition++, now));
    }
    for (const auto& record : stored) {
        const bool isFirstOfItsID = storedByHardwareID.at(record.hardwareID) == &record;
        if (isFirstOfItsID && !onlineHardwareIDs.contains(record.hardwareID) &&
            keptWhileAbsent(record, now)) {
            entries.push_back(absentEntry(record));
        }
    }

    entries = mostRecentlySeen(std::move(entries),
                               [](const Entry& entry) -> const PersistedDisplay& { return entry.record; });
    std::stable_sort(entries.begin(), entries.end(), comesBefore);

    std::vector<Display> reconciled;
    std::vector<PersistedDisplay> records;
    reconciled.reserve(entries.size());
    records.reserve(entries.size());
    for (std::size_t index = 0; index < entries.size(); ++index) {
        entries[index].display.sortOrder = static_cast<int>(index);
        entries[index].record.sortOrder = static_cast<int>(index);
        reconciled.push_back(std::move(entries[index].display));
        records.push_back(std::move(entries[index].record));
    }
    try {
        save(std::move(records));
    } catch (const DefaultsWriteError& failure) {
        throw DisplayListNotSavedError(failure, std::move(reconciled));
    }
    return reconciled;
}

}  // namespace lumadesk
