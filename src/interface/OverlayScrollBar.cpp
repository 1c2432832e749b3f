#include "interface/OverlayScrollBar.h"

#include "interface/Theme.h"

#include <QAbstractScrollArea>
#include <QEvent>

namespace lumadesk {

namespace {
constexpr int barWidth = 7;
}  // namespace

OverlayScrollBar::OverlayScrollBar(QAbstractScrollArea& area)
    : QScrollBar(Qt::Vertical, &area), m_area(area) {
    const QString thumb = Theme::primary(area, 0.3).name(QColor::HexArgb);
    setStyleSheet(
        QStringLiteral(
            "QScrollBar:vertical { width: %1px; background: transparent; margin: 2px 1px 2px 0; }"
            "QScrollBar::handle:vertical { background: %2; border-radius: 3px; min-height: 24px; }"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
            .arg(barWidth)
            .arg(thumb));
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QScrollBar* inner = area.verticalScrollBar();
    connect(inner, &QScrollBar::rangeChanged, this, &OverlayScrollBar::follow);
    connect(inner, &QScrollBar::valueChanged, this, &QScrollBar::setValue);
    connect(this, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
    area.installEventFilter(this);
    follow();
    place();
}

void OverlayScrollBar::follow() {
    const QScrollBar* inner = m_area.verticalScrollBar();
    setRange(inner->minimum(), inner->maximum());
    setPageStep(inner->pageStep());
    setSingleStep(inner->singleStep());
    setValue(inner->value());
    setVisible(inner->maximum() > inner->minimum());
    raise();
}

void OverlayScrollBar::place() {
    setGeometry(m_area.width() - barWidth, 0, barWidth, m_area.height());
}

bool OverlayScrollBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_area && event->type() == QEvent::Resize) place();
    return QScrollBar::eventFilter(watched, event);
}

}  // namespace lumadesk
