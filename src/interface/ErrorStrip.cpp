#include "interface/ErrorStrip.h"

#include "interface/Accessibility.h"
#include "interface/Divider.h"
#include "interface/SymbolView.h"
#include "interface/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace lumadesk {

ErrorStrip::ErrorStrip(QWidget* parent)
    : QWidget(parent), m_row(new QWidget(this)), m_message(new QLabel(m_row)) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new Divider(this));
    column->addWidget(m_row);

    auto* row = new QHBoxLayout(m_row);
    row->setSpacing(8);
    row->setContentsMargins(14, 9, 14, 9);
    const int symbolSide = Theme::symbolSize(Theme::TextStyle::caption);
    auto* warning = new SymbolView(QStringLiteral("exclamationmark.triangle.fill"), symbolSide,
                                   QSize(symbolSide, symbolSide), m_row);
    warning->setColor(Theme::orange());
    m_message->setFont(Theme::font(Theme::TextStyle::caption));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::WindowText, Theme::secondary(*this));
    m_message->setPalette(palette);
    row->addWidget(warning, 0, Qt::AlignTop);
    row->addWidget(m_message, 1, Qt::AlignTop);
    row->addSpacing(4);
    Accessibility::combine(*m_row, QAccessible::StaticText);
}

QString ErrorStrip::message() const {
    return m_message->text();
}

void ErrorStrip::setMessage(const QString& message) {
    m_message->setText(message);
    m_row->setAccessibleName(QStringLiteral("Display error: ") + message);
    // The layouts above keep their heights for a width until told: a longer message must make the
    // strip, and the popover that fits its height to it, taller at once.
    m_row->updateGeometry();
    updateGeometry();
}

}  // namespace lumadesk
