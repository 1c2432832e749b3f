#pragma once

#include <functional>

#include "runtime/MainQueue.h"

#include <QObject>

class QWidget;

namespace lumadesk {

// Runs a job once a widget has shown its current state. Work that blocks the event loop (a refresh
// reads every monitor) would otherwise start before the state announcing it reaches the screen: the
// job would be queued ahead of the repaint. The job runs on the main queue after the widget's next
// paint; at once when the widget is not shown; and after `limit` when no paint comes (a window the
// window manager keeps off screen), so that it never waits for ever.
class AfterPaint : public QObject {
    Q_OBJECT

public:
    static constexpr Duration limit = std::chrono::milliseconds(250);

    // Schedules the job; it is dropped if the widget goes first.
    static void run(QWidget& widget, MainQueue& queue, MainQueue::Job job);
    ~AfterPaint() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AfterPaint(QWidget& widget, MainQueue& queue, MainQueue::Job job);
    void release();

    MainQueue& m_queue;
    MainQueue::Job m_job;
    TimerHandle m_limit;
};

}  // namespace lumadesk
