#include "interface/Spinner.h"

#include "interface/Theme.h"

#include <QPainter>

#include <algorithm>

namespace lumadesk {

Spinner::Spinner(int side, QWidget* parent) : QWidget(parent) {
    setFixedSize(side, side);
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % spokeCount;
        update();
    });
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = width();
    const qreal thickness = std::max<qreal>(1.2, side / 9.0);
    QPen pen(Theme::primary(*this));
    pen.setWidthF(thickness);
    pen.setCapStyle(Qt::RoundCap);
    painter.translate(side / 2, side / 2);
    for (int spoke = 0; spoke < spokeCount; ++spoke) {
        // The spoke at the current step is darkest; those behind it fade out.
        const int age = (m_step - spoke + spokeCount) % spokeCount;
        painter.setOpacity(1.0 - 0.8 * age / spokeCount);
        painter.setPen(pen);
        painter.drawLine(QPointF(0, -side * 0.25), QPointF(0, -side / 2 + thickness / 2));
        painter.rotate(360.0 / spokeCount);
    }
}

void Spinner::showEvent(QShowEvent*) {
    m_timer.start();
}

void Spinner::hideEvent(QHideEvent*) {
    m_timer.stop();
}

}  // namespace lumadesk
