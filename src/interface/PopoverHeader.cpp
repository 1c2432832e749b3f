#include "interface/PopoverHeader.h"

#include "interface/RefreshButton.h"
#include "interface/SymbolView.h"
#include "interface/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace lumadesk {

PopoverHeader::PopoverHeader(QWidget* parent)
    : QWidget(parent), m_subtitle(new QLabel(this)), m_refreshButton(new RefreshButton(this)) {
    auto* row = new QHBoxLayout(this);
    row->setSpacing(10);
    row->setContentsMargins(14, 11, 14, 11);

    auto* badge = new SymbolView(QStringLiteral("display.2"), Theme::symbolSize(14), QSize(30, 30), this);
    QColor fill = Theme::accent(*this);
    fill.setAlphaF(0.12f);
    badge->setColor(Theme::accent(*this));
    badge->setBackground(fill, 8);
    row->addWidget(badge);

    auto* titleBlock = new QVBoxLayout;
    titleBlock->setSpacing(1);
    auto* title = new QLabel(QStringLiteral("Lumadesk"), this);
    title->setFont(Theme::font(Theme::TextStyle::callout, QFont::DemiBold));
    m_subtitle->setFont(Theme::font(Theme::TextStyle::caption2));
    QPalette secondary = m_subtitle->palette();
    secondary.setColor(QPalette::WindowText, Theme::secondary(*this));
    m_subtitle->setPalette(secondary);
    titleBlock->addWidget(title);
    titleBlock->addWidget(m_subtitle);
    row->addLayout(titleBlock);
    row->addStretch(1);
    row->addWidget(m_refreshButton);

    connect(m_refreshButton, &QAbstractButton::clicked, this, &PopoverHeader::refreshClicked);
}

QString PopoverHeader::subtitle() const {
    return m_subtitle->text();
}

void PopoverHeader::setSubtitle(const QString& subtitle) {
    m_subtitle->setText(subtitle);
}

}  // namespace lumadesk
