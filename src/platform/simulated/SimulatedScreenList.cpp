#include "platform/simulated/SimulatedScreenList.h"

#include <algorithm>

namespace lumadesk {

SimulatedScreenList::SimulatedScreenList(SimulatedWindowServer& windowServer, std::vector<Screen> screens,
                                         ScreenPoint pointer)
    : m_windowServer(windowServer), m_screens(std::move(screens)), m_pointer(pointer) {
    for (std::size_t i = 0; i < m_screens.size(); ++i) m_positions.try_emplace(m_screens[i].displayID, i);
}

std::vector<Screen> SimulatedScreenList::screens() {
    std::vector<Screen> shown;
    for (const DisplayID displayID : m_windowServer.onlineDisplayIDs().displayIDs) {
        if (const auto screen = m_positions.find(displayID); screen != m_positions.end())
            shown.push_back(m_screens[screen->second]);
    }
    return shown;
}

std::optional<Screen> SimulatedScreenList::mainScreen() {
    const std::vector<Screen> shown = screens();
    if (shown.empty()) return std::nullopt;
    const auto atOrigin = std::find_if(shown.begin(), shown.end(), [](const Screen& screen) {
        return screen.frame.x == 0 && screen.frame.y == 0;
    });
    return atOrigin != shown.end() ? *atOrigin : shown.front();
}

ScreenPoint SimulatedScreenList::pointerLocation() {
    std::lock_guard lock(m_mutex);
    return m_pointer;
}

void SimulatedScreenList::setPointerLocation(ScreenPoint location) {
    std::lock_guard lock(m_mutex);
    m_pointer = location;
}

}  // namespace lumadesk
