#include "interface/PreferenceRow.h"

#include "interface/Theme.h"

#include <QHBoxLayout>
#include <QLabel>

namespace lumadesk {

PreferenceRow::PreferenceRow(const QString& title, QWidget* accessory, QWidget* parent)
    : QWidget(parent), m_title(new QLabel(title, this)), m_accessory(accessory) {
    auto* row = new QHBoxLayout(this);
    row->setSpacing(16);
    row->setContentsMargins(14, 12, 14, 12);
    m_title->setFont(Theme::font(Theme::TextStyle::callout));
    accessory->setParent(this);
    // The title names the control for assistive technology, as the control's own label is hidden.
    accessory->setAccessibleName(title);
    row->addWidget(m_title);
    row->addStretch(1);
    row->addWidget(accessory, 0, Qt::AlignVCenter);
}

QString PreferenceRow::title() const {
    return m_title->text();
}

}  // namespace lumadesk
