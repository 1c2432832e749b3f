#include "interface/Divider.h"

#include "interface/Theme.h"

#include <QPainter>

namespace lumadesk {

Divider::Divider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::primary(*this, 0.12));
}

}  // namespace lumadesk
