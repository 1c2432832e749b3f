#pragma once

#include <string>

#include <functional>
#include <vector>

#include "platform/AVServiceBus.h"
#include "platform/DisplayRegistry.h"
#include "platform/FramebufferI2C.h"
#include "platform/LoginItemService.h"
#include "platform/ScreenList.h"
#include "platform/WindowServer.h"
#include "runtime/Deadline.h"
#include "runtime/MainQueue.h"
#include "runtime/Sleeper.h"

namespace lumadesk {

// A descriptor the program's event loop watches for the platform, and what to do on the main thread
// whenever it is readable.
struct PlatformWatch {
    int descriptor = -1;
    std::function<void()> readable;
};

// One of each operating-system service the program uses, as the composition root hands them to the
// stack it assembles. The platform outlives that stack.
class Platform {
public:
    virtual ~Platform() = default;
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // The window server: online displays, their identity and configuration, and change notices.
    virtual WindowServer& windowServer() = 0;
    // The desktop's screens and the pointer.
    virtual ScreenList& screenList() = 0;
    // The desktop's screens as the interface framework lists them, each named by the window system's
    // name of its output, for a platform that learns its screens from there (it must outlive the
    // platform). A platform that knows its screens by itself has no use for them.
    virtual void useDesktopScreens(ScreenList&) {}
    // The device registry of displays and their framebuffers.
    virtual DisplayRegistry& displayRegistry() = 0;
    // The AV services of the display links.
    virtual AVServiceBus& avServiceBus() = 0;
    // The framebuffers' I2C buses.
    virtual FramebufferI2C& framebufferI2C() = 0;
    // The login-item service of the application.
    virtual LaunchAtLoginServicing& loginItemService() = 0;
    // The blocking sleeps between I2C steps.
    virtual Sleeper& sleeper() = 0;
    // Keeps what the platform must remember until the next run (the simulated desk's state); throws
    // std::exception subclasses when that fails.
    virtual void persistState() = 0;
    // The name of the settings file in the configuration directory. Each desk keeps its own, so that the
    // displays one remembers never show up as absent displays of the other.
    virtual std::string settingsFileName() const = 0;
    // The service that takes displays off the desktop in this session, by name, for diagnostics.
    virtual std::string displayConfigurationService() const = 0;
    // Until lifted with an unset deadline, taking displays off the desktop and putting them back ends by
    // the deadline, failing where the window system would take longer: quitting and the end of the
    // session must not wait for a service that stopped answering. Nothing to do where changes are
    // immediate.
    virtual void limitDisplayConfigurationTime(Deadline) {}
    // What keeps monitors out of reach right now, each in the user's words with its fix; none when
    // nothing does. Safe to call from any thread.
    virtual std::vector<std::string> problems() const { return {}; }
    // Starts watching for displays plugged in or out, paced on the queue (which must outlive the
    // platform); the descriptors the event loop must watch for it. None when the platform tells its
    // changes by itself.
    virtual std::vector<PlatformWatch> watchForChanges(MainQueue&) { return {}; }
};

}  // namespace lumadesk
