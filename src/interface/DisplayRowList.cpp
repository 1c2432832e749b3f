#include "interface/DisplayRowList.h"

#include "interface/DisplayRowView.h"
#include "interface/Divider.h"

#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace lumadesk {

DisplayRowList::DisplayRowList(MainQueue& queue, CallbacksFor callbacksFor, QWidget* parent)
    : QWidget(parent), m_queue(queue), m_callbacksFor(std::move(callbacksFor)), m_layout(new QVBoxLayout(this)) {
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
            row = new DisplayRowView(display, DisplayRowContext::popover, m_callbacksFor(display), m_queue, this);
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
}

void DisplayRowList::relayout() {
    while (std::unique_ptr<QLayoutItem> item{m_layout->takeAt(0)}) {
    }
    const std::size_t dividersNeeded = m_order.empty() ? 0 : m_order.size() - 1;
    while (m_dividers.size() > dividersNeeded) {
        m_dividers.back()->hide();
        m_dividers.back()->deleteLater();
        m_dividers.pop_back();
    }
    while (m_dividers.size() < dividersNeeded) m_dividers.push_back(new Divider(dividerInset, this));
    for (std::size_t i = 0; i < m_order.size(); ++i) {
        m_layout->addWidget(m_order[i]);
        if (i < m_dividers.size()) m_layout->addWidget(m_dividers[i]);
    }
    m_layout->addStretch(1);
}

}  // namespace lumadesk
