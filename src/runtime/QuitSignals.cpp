#include "runtime/QuitSignals.h"

#include <pthread.h>
#include <signal.h>

namespace lumadesk {

namespace {

sigset_t quitSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

// Sent to the waiting thread to wake it when the object goes.
constexpr int wakeSignal = SIGHUP;

}  // namespace

void QuitSignals::block() {
    const sigset_t set = quitSignalSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

std::string QuitSignals::nameOf(int signalNumber) {
    switch (signalNumber) {
        case SIGTERM:
            return "SIGTERM";
        case SIGINT:
            return "SIGINT";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "signal " + std::to_string(signalNumber);
    }
}

QuitSignals::QuitSignals(MainQueue& queue, std::function<void(int)> onSignal)
    : m_queue(queue), m_onSignal(std::move(onSignal)) {
    // The waiting thread inherits the block; without it a signal could end the process meanwhile.
    block();
    m_thread = std::thread([this] { waitForSignals(); });
}

QuitSignals::~QuitSignals() {
    m_stopping = true;
    pthread_kill(m_thread.native_handle(), wakeSignal);
    m_thread.join();
}

void QuitSignals::waitForSignals() {
    const sigset_t set = quitSignalSet();
    while (true) {
        int received = 0;
        if (sigwait(&set, &received) != 0) continue;
        if (m_stopping) return;
        m_queue.post([onSignal = m_onSignal, received] { onSignal(received); });
    }
}

}  // namespace lumadesk
