#include "interface/SymbolView.h"

#include "interface/Accessibility.h"
#include "interface/SymbolIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace lumadesk {

SymbolView::SymbolView(const QString& symbol, int symbolSize, QSize frame, QWidget* parent)
    : QWidget(parent),
      m_symbol(symbol),
      m_symbolSize(symbolSize),
      m_color(palette().color(QPalette::WindowText)) {
    setFixedSize(frame.expandedTo(QSize(symbolSize, symbolSize)));
    // Every symbol stands beside text or a control that says what it means.
    Accessibility::hide(*this);
}

void SymbolView::setSymbol(const QString& symbol) {
    if (symbol == m_symbol) return;
    m_symbol = symbol;
    update();
}

void SymbolView::setColor(const QColor& color) {
    if (color == m_color) return;
    m_color = color;
    update();
}

void SymbolView::setOpacity(qreal opacity) {
    if (opacity == m_opacity) return;
    m_opacity = opacity;
    update();
}

void SymbolView::setBackground(const QColor& fill, qreal cornerRadius) {
    m_background = Background{fill, cornerRadius};
    update();
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    if (m_background) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), m_background->cornerRadius, m_background->cornerRadius);
        painter.fillPath(shape, m_background->fill);
    }
    const auto image = SymbolIcons::pixmap(m_symbol, m_symbolSize, m_color, devicePixelRatioF());
    const QRect target((width() - m_symbolSize) / 2, (height() - m_symbolSize) / 2, m_symbolSize,
                       m_symbolSize);
    painter.drawPixmap(target, image);
}

}  // namespace lumadesk
