#include "interface/DisplayRowList.h"

#include "interface/DisplayRowView.h"
#include "interface/Theme.h"

#include <QPainter>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace lumadesk {

DisplayRowList::DisplayRowList(MainQueue& queue, CallbacksFor callbacksFor, QWidget* parent,
                               DisplayRowContext context)
    : QWidget(parent),
      m_queue(queue),
      m_callbacksFor(std::move(callbacksFor)),
      m_context(context),
      m_layout(new QVBoxLayout(this)) {
    m_layout->setSpacing(0);
    m_layout->setContentsMargins(0, 0, 0, 0);
}

void DisplayRowList::setDisplays(const std::vector<Display>& displays) {
    std::map<DisplayID, DisplayRowView*> kept;
    std::vector<DisplayRowView*> order;
    for (const auto& display : displays) {
        DisplayRowView* row = nullptr;
        if (auto found = m_rows.find(display.id); found != m_rows.end()) {
            row = found->second;
            m_rows.erase(found);
            if (!(row->display() == display)) row->setDisplay(display, m_callbacksFor(display));
        } else {
            row = new DisplayRowView(display, m_context, m_callbacksFor(display), m_queue, this);
        }
        kept.emplace(display.id, row);
        order.push_back(row);
    }
    // What is left belongs to displays that are gone; their rows go (later, as this may run inside one
    // of their own handlers), and a change they started finds nobody to report to.
    for (auto& [id, row] : m_rows) {
        row->hide();
        row->deleteLater();
    }
    m_rows = std::move(kept);
    if (order != m_order) {
        m_order = std::move(order);
        relayout();
    }
    update();  // rows may have changed height, and the lines move with them
}

void DisplayRowList::relayout() {
    while (std::unique_ptr<QLayoutItem> item{m_layout->takeAt(0)}) {
    }
    for (auto* row : m_order) m_layout->addWidget(row);
    m_layout->addStretch(1);
    update();
}

std::vector<QLine> DisplayRowList::dividerLines() const {
    std::vector<QLine> lines;
    const bool leftToRight = layoutDirection() == Qt::LeftToRight;
    const int inset = m_context == DisplayRowContext::popover ? dividerInset : 0;
    const int start = leftToRight ? inset : 0;
    const int end = leftToRight ? width() - 1 : width() - 1 - inset;
    for (std::size_t i = 0; i + 1 < m_order.size(); ++i) {
        const int y = m_order[i]->geometry().bottom();
        lines.emplace_back(start, y, end, y);
    }
    return lines;
}

void DisplayRowList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Theme::primary(*this, 0.12));
    for (const auto& line : dividerLines()) painter.drawLine(line);
}

}  // namespace lumadesk
