#include "interface/PlainButton.h"

#include "interface/SymbolIcons.h"
#include "interface/Theme.h"

#include <QPainter>

#include <algorithm>

namespace lumadesk {

PlainButton::PlainButton(const QString& symbol, const QString& text, const QFont& font, QWidget* parent)
    : QAbstractButton(parent),
      m_symbol(symbol),
      m_textColor(Theme::primary(*this)),
      m_symbolSize(Theme::symbolSize(QFontInfo(font).pixelSize())) {
    setText(text);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(text);
}

void PlainButton::setSymbolColor(const QColor& color) {
    m_symbolColor = color;
    update();
}

void PlainButton::setTextColor(const QColor& color) {
    m_textColor = color;
    update();
}

void PlainButton::setSpacing(int spacing) {
    m_spacing = spacing;
    updateGeometry();
}

void PlainButton::setOpacity(qreal opacity) {
    m_opacity = opacity;
    update();
}

QSize PlainButton::sizeHint() const {
    const QFontMetrics metrics(font());
    int width = text().isEmpty() ? 0 : metrics.horizontalAdvance(text());
    int height = text().isEmpty() ? 0 : metrics.height();
    if (!m_symbol.isEmpty()) {
        width += m_symbolSize + (text().isEmpty() ? 0 : m_spacing);
        height = std::max(height, m_symbolSize);
    }
    return QSize(width, height).expandedTo(minimumSize());
}

void PlainButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    qreal opacity = m_opacity;
    if (!isEnabled()) opacity *= 0.4;
    if (isDown()) opacity *= 0.6;
    painter.setOpacity(opacity);

    const QSize content = sizeHint();
    // Centred when the button is only as wide as its content or fixed; leading-aligned when it stretches.
    int x = sizePolicy().horizontalPolicy() == QSizePolicy::Expanding ? 0 : (width() - content.width()) / 2;
    if (!m_symbol.isEmpty()) {
        const QColor color = m_symbolColor.isValid() ? m_symbolColor : m_textColor;
        const QRect target(x, (height() - m_symbolSize) / 2, m_symbolSize, m_symbolSize);
        painter.drawPixmap(target, SymbolIcons::pixmap(m_symbol, m_symbolSize, color, devicePixelRatioF()));
        x += m_symbolSize + m_spacing;
    }
    if (!text().isEmpty()) {
        painter.setPen(m_textColor);
        painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }
    if (hasFocus()) {
        painter.setOpacity(1.0);
        painter.setPen(QPen(Theme::accent(*this), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 3, 3);
    }
}

}  // namespace lumadesk
