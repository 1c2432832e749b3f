#include "interface/RefreshButton.h"

#include "interface/ActivationBlocker.h"
#include "interface/Spinner.h"
#include "interface/SymbolIcons.h"
#include "interface/Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace lumadesk {

namespace {
constexpr int side = 28;
constexpr int labelSide = 16;
}  // namespace

RefreshButton::RefreshButton(QWidget* parent)
    : QAbstractButton(parent),
      m_spinner(new Spinner(labelSide - 4, this)),
      m_activation(new ActivationBlocker(*this)) {
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setToolTip(QStringLiteral("Refresh displays"));
    setAccessibleName(QStringLiteral("Refresh displays"));
    m_spinner->move((side - m_spinner->width()) / 2, (side - m_spinner->height()) / 2);
    m_spinner->hide();
}

bool RefreshButton::isBusy() const {
    return m_activation->isBlocking();
}

void RefreshButton::setBusy(bool busy) {
    m_activation->setBlocking(busy);
    m_spinner->setVisible(busy);
}

void RefreshButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath background;
    background.addRoundedRect(QRectF(rect()), 7, 7);
    painter.fillPath(background, Theme::primary(*this, isDown() ? 0.11 : 0.055));
    if (hasFocus()) painter.strokePath(background, QPen(Theme::accent(*this), 1.5));
    if (isBusy()) return;
    const int symbolSide = labelSide - 2;
    const QRect target((side - symbolSide) / 2, (side - symbolSide) / 2, symbolSide, symbolSide);
    painter.drawPixmap(target, SymbolIcons::pixmap(QStringLiteral("arrow.clockwise"), symbolSide,
                                                   Theme::secondary(*this), devicePixelRatioF()));
}

}  // namespace lumadesk
