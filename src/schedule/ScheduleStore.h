#pragma once

#include <optional>
#include <string>

#include "runtime/UserDefaults.h"
#include "schedule/ScheduleEntry.h"

namespace lumadesk {

// The schedule kept in the user defaults, as JSON text under "schedule".
class ScheduleStore {
public:
    static constexpr char storageKey[] = "schedule";

    // The defaults must outlive the store.
    explicit ScheduleStore(UserDefaults& defaults) : m_defaults(defaults) {}

    // The stored schedule; an empty one when none is stored. A stored value that cannot be read gives an
    // empty schedule too, with the reason in lastProblem, and is kept aside before the next save.
    ScheduleSettings load();
    // Throws DefaultsWriteError when the schedule cannot be stored.
    void save(const ScheduleSettings& settings);
    const std::optional<std::string>& lastProblem() const { return m_lastProblem; }

private:
    UserDefaults& m_defaults;
    std::optional<std::string> m_lastProblem;
};

}  // namespace lumadesk
