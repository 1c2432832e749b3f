#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace lumadesk {

// A few worker threads for blocking work (I2C transactions) that must not hold up the main thread.
// Destruction runs what is still queued, then joins the threads.
class BackgroundPool {
public:
    explicit BackgroundPool(unsigned threadCount = 2);
    BackgroundPool(const BackgroundPool&) = delete;
    BackgroundPool& operator=(const BackgroundPool&) = delete;
    ~BackgroundPool();

    // Queues the work to run on one of the threads.
    void submit(std::function<void()> work);

private:
    void runWorker();

    std::mutex m_mutex;
    std::condition_variable m_wakeup;
    std::deque<std::function<void()>> m_work;
    bool m_stopping = false;
    std::vector<std::jthread> m_threads;
};

}  // namespace lumadesk
