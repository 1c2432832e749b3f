#include "schedule/ScheduleStore.h"

#include "schedule/ScheduleCoding.h"

namespace lumadesk {

ScheduleSettings ScheduleStore::load() {
    m_lastProblem.reset();
    if (!m_defaults.value(storageKey)) return {};
    const std::optional<std::string> text = m_defaults.stringValue(storageKey);
    try {
        if (!text) throw ScheduleCodingError("The schedule could not be read: it is not text.");
        return decodeSchedule(*text);
    } catch (const ScheduleCodingError& error) {
        m_lastProblem = error.what();
        m_defaults.keepCopyOfUnusableValue(storageKey);
        return {};
    }
}

void ScheduleStore::save(const ScheduleSettings& settings) {
    m_defaults.setValue(storageKey, encodeSchedule(settings));
}

}  // namespace lumadesk
