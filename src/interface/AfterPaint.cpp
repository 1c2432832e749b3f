#include "interface/AfterPaint.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <utility>

namespace lumadesk {

void AfterPaint::run(QWidget& widget, MainQueue& queue, MainQueue::Job job) {
    if (!widget.isVisible()) {
        queue.post(std::move(job));
        return;
    }
    new AfterPaint(widget, queue, std::move(job));  // owned by the widget until it lets the job go
}

AfterPaint::AfterPaint(QWidget& widget, MainQueue& queue, MainQueue::Job job)
    : QObject(&widget), m_queue(queue), m_job(std::move(job)) {
    widget.installEventFilter(this);
    widget.update();
    m_limit = queue.postAfter(limit, [self = QPointer<AfterPaint>(this)] {
        if (self) self->release();
    });
}

AfterPaint::~AfterPaint() {
    m_limit.cancel();
}

// Called from within the paint, before the window's contents go to the screen; the posted job runs on
// a later turn, after they have.
bool AfterPaint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Paint) release();
    return QObject::eventFilter(watched, event);
}

void AfterPaint::release() {
    if (!m_job) return;
    m_queue.post(std::exchange(m_job, nullptr));
    deleteLater();
}

}  // namespace lumadesk
