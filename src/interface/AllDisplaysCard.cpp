#include "interface/AllDisplaysCard.h"

#include "interface/Accessibility.h"
#include "interface/ContinuousSlider.h"
#include "interface/PlainButton.h"
#include "interface/SymbolView.h"
#include "interface/Theme.h"
#include "interface/logic/BrightnessLevel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace lumadesk {

namespace {
// The card stands this far inside its own frame, and its content this far inside the card.
constexpr QMargins cardInset(12, 10, 12, 10);
constexpr int padding = 12;
}  // namespace

AllDisplaysCard::AllDisplaysCard(QWidget* parent)
    : QWidget(parent), m_level(new QLabel(this)), m_slider(new ContinuousSlider(this)) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(8);
    column->setContentsMargins(cardInset + QMargins(padding, padding, padding, padding));

    const QColor secondary = Theme::secondary(*this);
    auto* title = new PlainButton(QStringLiteral("sun.max.fill"), QStringLiteral("All displays"),
                                  Theme::font(Theme::TextStyle::caption, QFont::Medium), this);
    title->setTextColor(secondary);
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    title->setFocusPolicy(Qt::NoFocus);
    title->setCursor(Qt::ArrowCursor);
    title->setObjectName(QStringLiteral("title"));
    Accessibility::combine(*title, QAccessible::StaticText);  // a title, drawn by the button class
    m_level->setFont(Theme::font(Theme::TextStyle::caption, QFont::DemiBold));
    QPalette palette = m_level->palette();
    palette.setColor(QPalette::WindowText, secondary);
    m_level->setPalette(palette);
    auto* titleLine = new QHBoxLayout;
    titleLine->addWidget(title);
    titleLine->addStretch(1);
    titleLine->addWidget(m_level);
    column->addLayout(titleLine);

    const int sunSize = Theme::symbolSize(Theme::TextStyle::caption);
    auto* sliderLine = new QHBoxLayout;
    sliderLine->setSpacing(9);
    auto* dim = new SymbolView(QStringLiteral("sun.min"), sunSize, QSize(sunSize, sunSize), this);
    auto* bright = new SymbolView(QStringLiteral("sun.max"), sunSize, QSize(sunSize, sunSize), this);
    dim->setColor(secondary);
    bright->setColor(secondary);
    m_slider->setAccessibleName(QStringLiteral("Brightness for all displays"));
    sliderLine->addWidget(dim);
    sliderLine->addWidget(m_slider, 1);
    sliderLine->addWidget(bright);
    column->addLayout(sliderLine);

    connect(m_slider, &ContinuousSlider::moved, this, &AllDisplaysCard::userChanged);
}

void AllDisplaysCard::setValue(double value, int shownLevel) {
    m_slider->setPosition(value);
    m_slider->setAccessibleValue(QString::fromStdString(percentSpoken(shownLevel)));
    m_level->setText(QString::fromStdString(percentText(shownLevel)));
}

QString AllDisplaysCard::levelText() const {
    return m_level->text();
}

void AllDisplaysCard::showEvent(QShowEvent*) {
    Q_EMIT appeared();
}

void AllDisplaysCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect().marginsRemoved(cardInset)), 11, 11);
    QColor fill = Theme::accent(*this);
    fill.setAlphaF(0.07f);
    painter.fillPath(card, fill);
}

}  // namespace lumadesk
