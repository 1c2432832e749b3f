#include "interface/ErrorBanner.h"

#include "interface/SymbolView.h"
#include "interface/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace lumadesk {

ErrorBanner::ErrorBanner(QWidget* parent)
    : QWidget(parent),
      m_message(
          Theme::label(QString(), Theme::font(Theme::TextStyle::caption), Theme::secondary(*this), this)) {
    auto* row = new QHBoxLayout(this);
    row->setSpacing(8);
    row->setContentsMargins(12, 10, 12, 10);
    const int side = Theme::symbolSize(Theme::TextStyle::caption);
    auto* warning =
        new SymbolView(QStringLiteral("exclamationmark.triangle.fill"), side, QSize(side, side), this);
    warning->setColor(Theme::orange());
    m_message->setWordWrap(true);
    row->addWidget(warning);
    row->addWidget(m_message, 1);
}

QString ErrorBanner::message() const {
    return m_message->text();
}

void ErrorBanner::setMessage(const QString& message) {
    m_message->setText(message);
    setAccessibleName(QStringLiteral("Display error: ") + message);
}

void ErrorBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 10, 10);
    QColor tint = Theme::orange();
    tint.setAlphaF(0.08f);
    painter.fillPath(shape, tint);
}

}  // namespace lumadesk
