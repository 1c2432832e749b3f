#pragma once

#include <functional>

#include "platform/linux/configuration/SessionBus.h"
#include "runtime/FileDescriptor.h"

namespace lumadesk {

// logind's notice that the machine is about to shut down or restart, held back until the program has
// put its displays back: a delay lock is taken at start and released once the handler has run
// (logind waits for it at most its InhibitDelayMaxSec, 5 s unless configured otherwise).
class ShutdownDelay {
public:
    // Takes the delay lock from logind on the bus (the system bus; a test hands in a bus of its own)
    // and listens for PrepareForShutdown. Throws OutputConfigurationError when logind cannot be reached
    // or refuses the lock.
    ShutdownDelay(SessionBus bus, std::function<void()> beforeShutdown);
    ShutdownDelay(const ShutdownDelay&) = delete;
    ShutdownDelay& operator=(const ShutdownDelay&) = delete;

    // A descriptor that becomes readable when the bus has news for processEvents().
    int eventDescriptor() const { return sd_bus_get_fd(m_bus.get()); }
    // Reads what the bus sent: a shutdown that starts runs the handler and then lets the shutdown go
    // on; one that was called off takes the lock again.
    void processEvents();
    // Whether a shutdown waits for this program.
    bool holdsLock() const { return m_lock.isOpen(); }

private:
    void takeLock();
    static int onPrepareForShutdown(sd_bus_message* message, void* self, sd_bus_error* error);

    SessionBus m_bus;
    BusSlot m_signalSlot;
    std::function<void()> m_beforeShutdown;
    FileDescriptor m_lock;
};

}  // namespace lumadesk
