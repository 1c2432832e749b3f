#include "platform/linux/configuration/ShutdownDelay.h"

#include <fcntl.h>

#include <chrono>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

namespace {

constexpr char service[] = "org.freedesktop.login1";
constexpr char objectPath[] = "/org/freedesktop/login1";
constexpr char manager[] = "org.freedesktop.login1.Manager";
// logind answers at once; a start must not hang on one that does not.
constexpr std::chrono::microseconds callLimit = std::chrono::seconds(2);

}  // namespace

ShutdownDelay::ShutdownDelay(SessionBus bus, std::function<void()> beforeShutdown)
    : m_bus(std::move(bus)), m_beforeShutdown(std::move(beforeShutdown)) {
    sd_bus_set_method_call_timeout(m_bus.get(), static_cast<std::uint64_t>(callLimit.count()));
    sd_bus_slot* slot = nullptr;
    if (const int result = sd_bus_match_signal(m_bus.get(), &slot, service, objectPath, manager,
                                               "PrepareForShutdown", &onPrepareForShutdown, this);
        result < 0)
        throw OutputConfigurationError(
            "logind's shutdown notice cannot be listened for: " + busErrorText(result) + ".");
    m_signalSlot.reset(slot);
    takeLock();
}

void ShutdownDelay::takeLock() {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* raw = nullptr;
    const int result = sd_bus_call_method(m_bus.get(), service, objectPath, manager, "Inhibit", &error, &raw,
                                          "ssss", "shutdown", "Lumadesk",
                                          "Putting back the displays it took off the desktop", "delay");
    const BusMessage reply(raw);
    const std::string reason = error.message ? error.message : busErrorText(result);
    sd_bus_error_free(&error);
    if (result < 0) throw OutputConfigurationError("logind did not grant a shutdown delay: " + reason + ".");
    int descriptor = -1;
    if (sd_bus_message_read(reply.get(), "h", &descriptor) < 0)
        throw OutputConfigurationError("logind's shutdown delay came without its lock.");
    // The reply owns its descriptor; the lock lives as long as a copy that no child inherits.
    m_lock = FileDescriptor(::fcntl(descriptor, F_DUPFD_CLOEXEC, 3));
}

void ShutdownDelay::processEvents() {
    while (sd_bus_process(m_bus.get(), nullptr) > 0) {
    }
}

int ShutdownDelay::onPrepareForShutdown(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* delay = static_cast<ShutdownDelay*>(self);
    int starting = 0;
    if (sd_bus_message_read(message, "b", &starting) < 0) return 0;
    if (starting) {
        delay->m_beforeShutdown();
        delay->m_lock = FileDescriptor();
        return 0;
    }
    if (!delay->holdsLock()) {
        try {
            delay->takeLock();
        } catch (const OutputConfigurationError&) {
            // The next shutdown goes ahead without waiting; quitting still puts the displays back.
        }
    }
    return 0;
}

}  // namespace lumadesk
