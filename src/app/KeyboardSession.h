#pragma once

#include <memory>
#include <ostream>

#include "interface/LumadeskApp.h"
#include "interface/QtDescriptorWatching.h"
#include "platform/linux/keys/SessionPermissionServices.h"
#include "platform/linux/keys/X11KeyboardEvents.h"

namespace lumadesk {

// The real keyboard of the desktop session, whatever desk the displays come from: in an X11 session the
// brightness keys and shortcuts are grabbed on the X server; in a Wayland session no program may take
// them, which the user is told once, and every other part keeps working. In either, keyboards whose
// input devices the user may read report their brightness keys directly, and on Wayland the custom
// shortcuts go through the desktop portal where it offers them.
class KeyboardSession {
public:
    // Messages go to `err`, which must outlive the session.
    explicit KeyboardSession(std::ostream& err);

    // What the application's key handling runs on; the screens are those of the display platform.
    LumadeskKeys keys(ScreenList& screens);

private:
    QtDescriptorWatching m_watcher;
    LibevdevDevices m_inputDevices;
    EvdevBrightnessKeys m_brightnessKeys{m_watcher, m_inputDevices};
    std::unique_ptr<PortalGlobalShortcuts> m_shortcuts;
    std::unique_ptr<X11KeyboardEvents> m_keyboard;
    std::unique_ptr<SessionPermissionServices> m_permissions;
};

}  // namespace lumadesk
