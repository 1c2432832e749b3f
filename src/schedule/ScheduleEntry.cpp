#include "schedule/ScheduleEntry.h"

namespace lumadesk {

std::optional<int> ScheduleEntry::levelFor(const std::string& hardwareID) const {
    if (const auto found = displayLevels.find(hardwareID); found != displayLevels.end()) return found->second;
    return level;
}

}  // namespace lumadesk
