#include "interface/Divider.h"

#include "interface/Theme.h"

#include <QPainter>

namespace lumadesk {

Divider::Divider(int inset, QWidget* parent) : QWidget(parent), m_inset(inset) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int start = layoutDirection() == Qt::LeftToRight ? m_inset : 0;
    painter.fillRect(QRect(start, 0, width() - m_inset, 1), Theme::primary(*this, 0.12));
}

}  // namespace lumadesk
