#include "interface/ConnectionStatusView.h"

#include "interface/Spinner.h"
#include "interface/SymbolIcons.h"
#include "interface/Theme.h"

#include <QPainter>

namespace lumadesk {

namespace {
constexpr int side = 12;
constexpr int dotDiameter = 7;
}  // namespace

ConnectionStatusView::ConnectionStatusView(QWidget* parent)
    : QWidget(parent), m_spinner(new Spinner(side - 1, this)) {
    setFixedSize(side, side);
    m_spinner->hide();
}

void ConnectionStatusView::setStatus(const ConnectionStatus& status) {
    m_kind = status.kind();
    setToolTip(QString::fromStdString(status.toolTip()));
    setAccessibleName(QString::fromStdString(status.accessibilityLabel()));
    m_spinner->setVisible(m_kind == ConnectionStatus::Kind::changing);
    update();
}

void ConnectionStatusView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (m_kind) {
        case ConnectionStatus::Kind::changing:
            return;  // the spinner draws itself
        case ConnectionStatus::Kind::failed: {
            const int symbolSide = Theme::symbolSize(9);
            const QRect target((side - symbolSide) / 2, (side - symbolSide) / 2, symbolSide, symbolSide);
            painter.drawPixmap(target, SymbolIcons::pixmap(QStringLiteral("exclamationmark.triangle.fill"),
                                                           symbolSide, Theme::orange(), devicePixelRatioF()));
            return;
        }
        case ConnectionStatus::Kind::connected:
        case ConnectionStatus::Kind::disconnected: {
            QColor color = Theme::green();
            if (m_kind == ConnectionStatus::Kind::disconnected) {
                color = Theme::secondary(*this);
                color.setAlphaF(color.alphaF() * 0.55f);
            }
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            const qreal offset = (side - dotDiameter) / 2.0;
            painter.drawEllipse(QRectF(offset, offset, dotDiameter, dotDiameter));
            return;
        }
    }
}

}  // namespace lumadesk
