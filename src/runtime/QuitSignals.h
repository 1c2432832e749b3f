#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "runtime/MainQueue.h"

namespace lumadesk {

// SIGTERM, SIGINT (Ctrl-C) and SIGHUP as requests to quit. Instead of ending the process on the spot
// (leaving displays off the desktop and state unsaved), each becomes a job on the main queue, so the
// program quits by its own steps. No work is done in a signal handler: the signals stay blocked and
// one thread waits for them with sigwait.
class QuitSignals {
public:
    // Blocks the three signals in the calling thread, and so in every thread it starts later. Call it
    // first in main(), before any thread exists. The block lasts for the life of the process, so that
    // a second signal during the quit steps cannot cut them short.
    static void block();
    // "SIGTERM", "SIGINT" or "SIGHUP".
    static std::string nameOf(int signalNumber);

    // Waits for the signals on a thread of its own and posts onSignal(number) to the queue for each.
    // The queue must outlive this object.
    QuitSignals(MainQueue& queue, std::function<void(int)> onSignal);
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;
    // Stops waiting; a signal arriving afterwards stays blocked.
    ~QuitSignals();

private:
    void waitForSignals();

    MainQueue& m_queue;
    std::function<void(int)> m_onSignal;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

}  // namespace lumadesk
