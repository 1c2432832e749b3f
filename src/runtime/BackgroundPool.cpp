#include "runtime/BackgroundPool.h"

#include <algorithm>

namespace lumadesk {

BackgroundPool::BackgroundPool(unsigned threadCount) {
    for (unsigned i = 0; i < std::max(threadCount, 1u); ++i) m_threads.emplace_back([this] { runWorker(); });
}

BackgroundPool::~BackgroundPool() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wakeup.notify_all();
    m_threads.clear();  // joins
}

void BackgroundPool::submit(std::function<void()> work) {
    {
        std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
    }
    m_wakeup.notify_one();
}

void BackgroundPool::runWorker() {
    while (true) {
        std::function<void()> work;
        {
            std::unique_lock lock(m_mutex);
            m_wakeup.wait(lock, [this] { return m_stopping || !m_work.empty(); });
            if (m_work.empty()) return;
            work = std::move(m_work.front());
            m_work.pop_front();
        }
        work();
    }
}

}  // namespace lumadesk
