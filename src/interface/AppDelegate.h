#pragma once

#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"

namespace lumadesk {

// The application's start and end: the first refresh of the display list once the application is
// up, and at quit the displays this program disconnected are put back on the desktop.
class AppDelegate {
public:
    AppDelegate(DisplayManager& manager, MainQueue& queue) : m_manager(manager), m_queue(queue) {}

    // Queues the first refresh; until it ends the views show that they are finding displays.
    void applicationDidFinishLaunching();
    // Re-enables every display this program disconnected.
    void applicationWillTerminate();

private:
    DisplayManager& m_manager;
    MainQueue& m_queue;
};

}  // namespace lumadesk
