#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "interface/DisplayRowCallbacks.h"
#include "registry/Display.h"
#include "runtime/MainQueue.h"

#include <QLine>
#include <QWidget>

class QVBoxLayout;

namespace lumadesk {

class DisplayRowView;

// The popover's rows in order, with hairlines between them inset from the leading edge. The lines are
// drawn over the rows' bottom padding rather than between them, so the list is exactly as high as its
// rows. A row keeps its identity (and with it the keyboard focus, a drag or a running connection
// change) as long as its display stays in the list, recognised by its hardware ID: the display ID
// changes when a display is taken off the desktop and comes back. Rows of displays that left the list
// go with them.
class DisplayRowList : public QWidget {
    Q_OBJECT

public:
    static constexpr int dividerInset = 52;
    // The callbacks for the row of one display.
    using CallbacksFor = std::function<DisplayRowCallbacks(const Display&)>;

    DisplayRowList(MainQueue& queue, CallbacksFor callbacksFor, QWidget* parent = nullptr);

    void setDisplays(const std::vector<Display>& displays);
    // The rows top to bottom.
    const std::vector<DisplayRowView*>& rows() const { return m_order; }
    // The hairlines under every row but the last, except one that ends the visible part of the list.
    std::vector<QLine> dividerLines() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    using RowsByHardwareID = std::map<std::string, DisplayRowView*>;
    static DisplayRowView* takeRow(RowsByHardwareID& rows, const std::string& hardwareID);
    void sweepLeavingRows();
    void relayout();

    MainQueue& m_queue;
    CallbacksFor m_callbacksFor;
    QVBoxLayout* m_layout;       // owned by the widget
    RowsByHardwareID m_rows;     // owned through the widget tree
    RowsByHardwareID m_leaving;  // rows of displays gone from the list, until the next turn
    bool m_sweepPosted = false;
    std::vector<DisplayRowView*> m_order;
};

}  // namespace lumadesk
