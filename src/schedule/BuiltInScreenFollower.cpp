#include "schedule/BuiltInScreenFollower.h"

#include "runtime/Spawn.h"

namespace lumadesk {

BuiltInScreenFollower::BuiltInScreenFollower(DisplayManager& manager, MainQueue& queue,
                                             BuiltInBacklight& backlight)
    : m_manager(manager), m_queue(queue), m_backlight(backlight), m_lastLevel(backlight.level()) {
    m_changes = m_backlight.subscribeToChanges([this] { follow(); });
}

void BuiltInScreenFollower::follow() {
    const std::optional<int> level = m_backlight.level();
    // Events also come for changes that leave the level as it was (a power-supply switch, a resume).
    if (!level || level == m_lastLevel) return;
    m_lastLevel = level;
    for (const Display& display : m_manager.displays()) {
        if (!display.followsBuiltInScreen || !display.drivesBrightness()) continue;
        spawn(m_queue, m_manager.setBrightness(*level, display.hardwareID));
    }
}

}  // namespace lumadesk
