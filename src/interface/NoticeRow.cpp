#include "interface/NoticeRow.h"

#include "interface/CardFrame.h"
#include "interface/SymbolView.h"
#include "interface/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumadesk {

NoticeRow::NoticeRow(const QString& symbol, const QString& title, const QString& buttonTitle, QWidget* parent)
    : QWidget(parent),
      m_title(title),
      m_text(new QLabel(this)),
      m_button(new QPushButton(buttonTitle, this)) {
    auto* row = new QHBoxLayout(this);
    row->setSpacing(9);
    row->setContentsMargins(14, 11, 14, 11);
    const int side = Theme::symbolSize(Theme::TextStyle::callout);
    auto* sign = new SymbolView(symbol, side, QSize(side, side), this);
    sign->setColor(Theme::orange());
    row->addWidget(sign);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* titleLabel = new QLabel(title, this);
    titleLabel->setFont(Theme::font(Theme::TextStyle::caption, QFont::DemiBold));
    texts->addWidget(titleLabel);
    // The explanation stays under the title in weight: caption size, secondary colour.
    m_text->setObjectName(QStringLiteral("explanation"));
    m_text->setFont(Theme::font(Theme::TextStyle::caption));
    QPalette textPalette = m_text->palette();
    textPalette.setColor(QPalette::WindowText, Theme::secondary(*this));
    m_text->setPalette(textPalette);
    texts->addWidget(m_text);
    row->addLayout(texts);
    row->addStretch(1);
    m_button->setFont(Theme::font(Theme::TextStyle::caption));
    row->addWidget(m_button);
    setAccessibleName(title);
}

QString NoticeRow::text() const {
    return m_text->text();
}

void NoticeRow::setText(const QString& text) {
    m_text->setText(text);
    setAccessibleName(m_title + QStringLiteral(", ") + text);
}

void NoticeRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor tint = Theme::orange();
    tint.setAlphaF(0.075f);
    QPainterPath area;
    area.addRect(QRectF(rect()));
    if (const auto* card = qobject_cast<const CardFrame*>(parentWidget()))
        area = area.intersected(card->outlineFor(*this));
    painter.fillPath(area, tint);
}

}  // namespace lumadesk
