#include "interface/AppDelegate.h"

#include "runtime/Spawn.h"

namespace lumadesk {

void AppDelegate::applicationDidFinishLaunching() {
    spawn(m_queue, m_manager.refresh());
}

void AppDelegate::applicationWillTerminate() {
    m_manager.restoreDisconnectedDisplays();
}

}  // namespace lumadesk
