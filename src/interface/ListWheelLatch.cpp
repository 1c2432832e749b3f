#include "interface/ListWheelLatch.h"

#include <QAbstractScrollArea>
#include <QWheelEvent>

namespace lumadesk {

ListWheelLatch::ListWheelLatch(QAbstractScrollArea& area) : QObject(&area) {
    area.viewport()->installEventFilter(this);
}

ListWheelLatch* ListWheelLatch::around(QWidget& widget) {
    for (QWidget* parent = widget.parentWidget(); parent; parent = parent->parentWidget()) {
        auto* area = qobject_cast<QAbstractScrollArea*>(parent);
        if (!area) continue;
        if (auto* existing = area->findChild<ListWheelLatch*>(QString(), Qt::FindDirectChildrenOnly))
            return existing;
        return new ListWheelLatch(*area);  // owned by the area
    }
    return nullptr;
}

// Every notch that reaches the viewport is the list's, whether or not it had room to move.
bool ListWheelLatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) m_latch.listScrolled(static_cast<QWheelEvent*>(event)->timestamp());
    return QObject::eventFilter(watched, event);
}

}  // namespace lumadesk
