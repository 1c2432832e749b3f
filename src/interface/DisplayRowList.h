#pragma once

#include <functional>
#include <map>
#include <vector>

#include "interface/DisplayRowCallbacks.h"
#include "registry/Display.h"
#include "runtime/MainQueue.h"

#include <QWidget>

class QVBoxLayout;

namespace lumadesk {

class Divider;
class DisplayRowView;

// The popover's rows in order, with inset dividers between them. A row keeps its identity (and with
// it a drag or a running connection change) as long as its display keeps its ID; rows of displays
// that left the list go with them.
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
    std::size_t dividerCount() const { return m_dividers.size(); }

private:
    void relayout();

    MainQueue& m_queue;
    CallbacksFor m_callbacksFor;
    QVBoxLayout* m_layout;                      // owned by the widget
    std::map<DisplayID, DisplayRowView*> m_rows;  // owned through the widget tree
    std::vector<DisplayRowView*> m_order;
    std::vector<Divider*> m_dividers;  // owned through the widget tree
};

}  // namespace lumadesk
