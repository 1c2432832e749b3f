#include "interface/PopoverFooter.h"

#include "interface/Divider.h"
#include "interface/PlainButton.h"
#include "interface/Theme.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace lumadesk {

PopoverFooter::PopoverFooter(QWidget* parent) : QWidget(parent), m_updateRow(new QWidget(this)) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);

    auto* updateColumn = new QVBoxLayout(m_updateRow);
    updateColumn->setSpacing(0);
    updateColumn->setContentsMargins(0, 0, 0, 0);
    updateColumn->addWidget(new Divider(m_updateRow));
    m_updateButton =
        new PlainButton(QStringLiteral("arrow.down.circle.fill"), QStringLiteral("Update Available…"),
                        Theme::systemFont(QFontInfo(font()).pixelSize(), QFont::Medium), m_updateRow);
    m_updateButton->setSymbolColor(Theme::accent(*this));
    m_updateButton->setSpacing(8);
    m_updateButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* updateLine = new QHBoxLayout;
    updateLine->setContentsMargins(14, 10, 14, 10);
    updateLine->addWidget(m_updateButton);
    updateColumn->addLayout(updateLine);
    column->addWidget(m_updateRow);
    m_updateRow->hide();

    column->addWidget(new Divider(this));
    const QFont caption = Theme::font(Theme::TextStyle::caption);
    m_settingsButton =
        new PlainButton(QStringLiteral("gearshape"), QStringLiteral("Settings"), caption, this);
    m_quitButton = new PlainButton(QString(), QStringLiteral("Quit"), caption, this);
    m_quitButton->setTextColor(Theme::secondary(*this));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(14);
    buttons->setContentsMargins(14, 10, 14, 10);
    buttons->addWidget(m_settingsButton);
    buttons->addStretch(1);
    buttons->addWidget(m_quitButton);
    column->addLayout(buttons);
}

void PopoverFooter::setUpdateAvailable(bool available) {
    m_updateRow->setVisible(available);
}

bool PopoverFooter::showsUpdate() const {
    return !m_updateRow->isHidden();
}

}  // namespace lumadesk
