#include "interface/DisplayRowList.h"

#include "interface/DisplayRowView.h"
#include "interface/Theme.h"

#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace lumadesk {

DisplayRowList::DisplayRowList(MainQueue& queue, CallbacksFor callbacksFor, QWidget* parent)
    : QWidget(parent),
      m_queue(queue),
      m_callbacksFor(std::move(callbacksFor)),
      m_layout(new QVBoxLayout(this)) {
    m_layout->setSpacing(0);
    m_layout->setContentsMargins(0, 0, 0, 0);
}

void DisplayRowList::setDisplays(const std::vector<Display>& displays) {
    std::map<std::string, DisplayRowView*> kept;
    std::vector<DisplayRowView*> order;
    for (const auto& display : displays) {
        DisplayRowView* row = takeRow(m_rows, display.hardwareID);
        if (!row) row = takeRow(m_leaving, display.hardwareID);
        if (row && !(row->display() == display)) row->setDisplay(display, m_callbacksFor(display));
        if (!row) {
            row = new DisplayRowView(display, DisplayRowContext::popover, m_callbacksFor(display), m_queue,
                                     this);
        }
        kept.emplace(display.hardwareID, row);
        order.push_back(row);
    }
    // What is left belongs to displays that are gone. The model may publish a list without a display
    // for a moment within one change (a reconnect lets go of the display before the refresh that finds
    // it again), so a row leaves on the next turn unless its display is back by then; until then it
    // keeps its state and the keyboard focus.
    m_leaving.merge(m_rows);
    if (!m_leaving.empty() && !m_sweepPosted) {
        m_sweepPosted = true;
        m_queue.post([list = QPointer<DisplayRowList>(this)] {
            if (list) list->sweepLeavingRows();
        });
    }
    m_rows = std::move(kept);
    if (order != m_order) {
        m_order = std::move(order);
        relayout();
    }
    update();  // rows may have changed height, and the lines move with them
}

DisplayRowView* DisplayRowList::takeRow(std::map<std::string, DisplayRowView*>& rows,
                                        const std::string& hardwareID) {
    const auto found = rows.find(hardwareID);
    if (found == rows.end()) return nullptr;
    DisplayRowView* row = found->second;
    rows.erase(found);
    return row;
}

// Later, as this may run inside one of the rows' own handlers; a change they started finds nobody to
// report to.
void DisplayRowList::sweepLeavingRows() {
    m_sweepPosted = false;
    for (auto& [hardwareID, row] : m_leaving) {
        row->hide();
        row->deleteLater();
    }
    m_leaving.clear();
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
    const int start = leftToRight ? dividerInset : 0;
    const int end = leftToRight ? width() - 1 : width() - 1 - dividerInset;
    // A line on the last visible pixel row of a list that goes on below would sit on the divider under
    // the list and draw a line twice as thick.
    const QWidget* viewport = parentWidget();
    const int visibleBottom = viewport ? viewport->height() - 1 - y() : height() - 1;
    for (std::size_t i = 0; i + 1 < m_order.size(); ++i) {
        const int y = m_order[i]->geometry().bottom();
        if (y == visibleBottom) continue;
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
