#pragma once

#include "interface/logic/WheelLatch.h"

#include <QObject>

class QAbstractScrollArea;
class QWidget;

namespace lumadesk {

// The wheel latch of one scrolling list: it watches the list's viewport for the notches the list
// scrolled with. Controls inside the list ask it before they take a notch.
class ListWheelLatch : public QObject {
    Q_OBJECT

public:
    // The latch of the list the widget sits in, made on first use; none outside a list.
    static ListWheelLatch* around(QWidget& widget);

    const WheelLatch& latch() const { return m_latch; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ListWheelLatch(QAbstractScrollArea& area);

    WheelLatch m_latch;
};

}  // namespace lumadesk
