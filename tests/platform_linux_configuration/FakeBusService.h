#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/linux/configuration/SessionBus.h"

namespace lumadesk {

// A service on the session bus, served from a thread of its own: it owns a bus name and hands every
// message sent to its object to the handler, which runs with mutex() held (a positive result: handled).
class FakeBusService {
public:
    using Handler = std::function<int(sd_bus_message* message)>;

    // ready() is false when there is no session bus or another program owns the name.
    FakeBusService(const char* name, const char* objectPath, Handler handler);
    ~FakeBusService();
    FakeBusService(const FakeBusService&) = delete;
    FakeBusService& operator=(const FakeBusService&) = delete;

    bool ready() const { return m_ready; }
    // Releases the name, as a service that went away.
    void vanish();
    // Guards the service's state between the serving thread and the test.
    std::mutex& mutex() { return m_mutex; }
    // The service's connection, for signals; use it with mutex() held.
    sd_bus* bus() const { return m_bus->get(); }

private:
    static int onMessage(sd_bus_message* message, void* self, sd_bus_error* error);
    void serve();

    std::string m_name;
    Handler m_handler;
    std::mutex m_mutex;
    std::unique_ptr<SessionBus> m_bus;
    BusSlot m_object;
    bool m_ready = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace lumadesk
