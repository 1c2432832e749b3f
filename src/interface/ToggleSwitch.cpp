#include "interface/ToggleSwitch.h"

#include "interface/ActivationBlocker.h"
#include "interface/Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace lumadesk {

ToggleSwitch::ToggleSwitch(QWidget* parent)
    : QAbstractButton(parent), m_activation(new ActivationBlocker(*this)) {
    setCheckable(false);
    setFocusPolicy(Qt::TabFocus);  // a click flips it without leaving a focus ring behind
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, [this] { Q_EMIT flipRequested(!m_on); });
}

void ToggleSwitch::setOn(bool on) {
    if (on == m_on) return;
    m_on = on;
    update();
}

bool ToggleSwitch::isBusy() const {
    return m_activation->isBlocking();
}

void ToggleSwitch::setBusy(bool busy) {
    m_activation->setBlocking(busy);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled() || isBusy()) painter.setOpacity(0.5);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    QPainterPath trackShape;
    trackShape.addRoundedRect(track, radius, radius);
    painter.fillPath(trackShape, m_on ? Theme::green() : Theme::primary(*this, 0.16));
    if (hasFocus()) {
        painter.setPen(QPen(Theme::accent(*this), 1.5));
        painter.drawPath(trackShape);
    }
    const qreal knob = track.height() - 3;
    const qreal x = m_on ? track.right() - 1.5 - knob : track.left() + 1.5;
    const QRectF knobRect(x, track.top() + 1.5, knob, knob);
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.setBrush(isDown() ? QColor(235, 235, 235) : QColor(Qt::white));
    painter.drawEllipse(knobRect);
}

}  // namespace lumadesk
