#include "interface/CardFrame.h"

#include "interface/Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace lumadesk {

CardFrame::CardFrame(qreal cornerRadius, QWidget* parent) : QWidget(parent), m_cornerRadius(cornerRadius) {}

QPainterPath CardFrame::outlineFor(const QWidget& line) const {
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()).translated(-line.pos()), m_cornerRadius, m_cornerRadius);
    return outline;
}

void CardFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), m_cornerRadius, m_cornerRadius);
    painter.fillPath(card, palette().color(QPalette::Base));
    painter.setPen(QPen(Theme::separator(*this), 0.5));
    painter.drawPath(card);
}

}  // namespace lumadesk
