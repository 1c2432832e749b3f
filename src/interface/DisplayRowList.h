#pragma once

#include <functional>
#include <map>
#include <vector>

#include "interface/DisplayRowCallbacks.h"
#include "interface/logic/DisplayRowContext.h"
#include "registry/Display.h"
#include "runtime/MainQueue.h"

#include <QLine>
#include <QWidget>

class QVBoxLayout;

namespace lumadesk {

class DisplayRowView;

// Display rows in order (the popover's, or the settings table's), with hairlines between them, inset
// from the leading edge in the popover. The lines are
// drawn over the rows' bottom padding rather than between them, so the list is exactly as high as its
// rows. A row keeps its identity (and with it a drag or a running connection change) as long as its
// display keeps its ID; rows of displays that left the list go with them.
class DisplayRowList : public QWidget {
    Q_OBJECT

public:
    static constexpr int dividerInset = 52;
    // The callbacks for the row of one display.
    using CallbacksFor = std::function<DisplayRowCallbacks(const Display&)>;

    DisplayRowList(MainQueue& queue, CallbacksFor callbacksFor, QWidget* parent = nullptr,
                   DisplayRowContext context = DisplayRowContext::popover);

    void setDisplays(const std::vector<Display>& displays);
    // The rows top to bottom.
    const std::vector<DisplayRowView*>& rows() const { return m_order; }
    // The hairlines under every row but the last.
    std::vector<QLine> dividerLines() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void relayout();

    MainQueue& m_queue;
    CallbacksFor m_callbacksFor;
    DisplayRowContext m_context;
    QVBoxLayout* m_layout;                        // owned by the widget
    std::map<DisplayID, DisplayRowView*> m_rows;  // owned through the widget tree
    std::vector<DisplayRowView*> m_order;
};

}  // namespace lumadesk
