#pragma once

#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/ScreenList.h"
#include "platform/simulated/SimulatedWindowServer.h"

namespace lumadesk {

// The screens of a simulated desk: one for every online display that has a screen, in the window
// server's order. The main screen is the one at the desktop's origin (else the first); the pointer is
// wherever it was put.
class SimulatedScreenList final : public ScreenList {
public:
    // The screen each display shows when it is online; the window server must outlive the list.
    SimulatedScreenList(SimulatedWindowServer& windowServer, std::vector<Screen> screens,
                        ScreenPoint pointer);

    std::vector<Screen> screens() override;
    std::optional<Screen> mainScreen() override;
    ScreenPoint pointerLocation() override;

    // Moves the pointer.
    void setPointerLocation(ScreenPoint location);

private:
    SimulatedWindowServer& m_windowServer;
    const std::vector<Screen> m_screens;
    // Where each display's screen is in m_screens (the first, should a desk repeat a display ID).
    std::unordered_map<DisplayID, std::size_t> m_positions;
    std::mutex m_mutex;
    ScreenPoint m_pointer;  // guarded by m_mutex
};

}  // namespace lumadesk
