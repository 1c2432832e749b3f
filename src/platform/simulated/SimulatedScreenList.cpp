#include "platform/simulated/SimulatedScreenList.h"

#include <algorithm>

namespace lumadesk {

SimulatedScreenList::SimulatedScreenList(SimulatedWindowServer& windowServer, std::vector<Screen> screens,
                                         ScreenPoint pointer)
    : m_windowServer(windowServer), m_screens(std::move(screens)), m_pointer(pointer) {}

std::vector<Screen> SimulatedScreenList::screens() {
    std::vector<Screen> shown;
    for (const DisplayID displayID : m_windowServer.onlineDisplayIDs().displayIDs) {
        const auto screen = std::find_if(m_screens.begin(), m_screens.end(),
                                         [&](const Screen& screen) { return screen.displayID == displayID; });
        if (screen != m_screens.end()) shown.push_back(*screen);
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
