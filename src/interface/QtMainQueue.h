#pragma once

#include <memory>

#include "runtime/MainQueue.h"

#include <QObject>

namespace lumadesk {

// The main queue on Qt's event loop: jobs are queued events of an object that lives on the GUI thread,
// delayed jobs are precise single-shot timers. Create it on the GUI thread once the application object
// exists; `post` and `postAfter` may then be called from any thread.
class QtMainQueue final : public MainQueue {
public:
    explicit QtMainQueue(const Clock& clock);
    ~QtMainQueue() override;

    void post(Job job) override;
    TimerHandle postAfter(Duration delay, Job job) override;
    const Clock& clock() const override { return m_clock; }
    // Processes events, waiting for one when none is ready; false when no job is queued and no
    // background work will post one.
    bool pumpOnce() override;

private:
    struct Entry;
    void queue(std::shared_ptr<Entry> entry);
    void startTimer(std::shared_ptr<Entry> entry);
    void finish(const Entry& entry);

    const Clock& m_clock;
    std::unique_ptr<QObject> m_receiver;  // jobs queued for it are dropped when it goes
    int m_pending = 0;                    // guarded by m_mutex
};

}  // namespace lumadesk
