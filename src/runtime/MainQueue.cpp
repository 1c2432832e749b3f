#include "runtime/MainQueue.h"

namespace lumadesk {

MainQueue::~MainQueue() = default;

MainQueue::ExternalWork::ExternalWork(MainQueue& queue) : m_queue(queue) {
    std::lock_guard lock(m_queue.m_mutex);
    ++m_queue.m_external;
}

MainQueue::ExternalWork::~ExternalWork() {
    // Notified under the lock: once it is released this thread no longer touches the queue.
    std::lock_guard lock(m_queue.m_mutex);
    --m_queue.m_external;
    m_queue.m_wakeup.notify_all();
}

void MainQueue::shutDown() {
    {
        std::unique_lock lock(m_mutex);
        m_wakeup.wait(lock, [this] { return m_external == 0; });
    }
    // A detached task still suspended here can never resume; destroying its frame releases what it holds.
    while (!m_detached.empty()) {
        auto address = *m_detached.begin();
        m_detached.erase(m_detached.begin());
        std::coroutine_handle<>::from_address(address).destroy();
    }
}

}  // namespace lumadesk
