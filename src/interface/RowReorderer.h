#pragma once

#include <functional>
#include <optional>

#include "interface/logic/DisplaysPageContent.h"

#include <QObject>
#include <QPoint>

class QScrollArea;
class QWidget;

namespace lumadesk {

class DisplayRowList;

// Drag-to-reorder for the settings table: a row dragged by any part that does not take the pointer
// itself (the handle, the name) and dropped elsewhere in the list reports the move. While it is dragged
// a line between the rows shows where it would go; over a place where it would change nothing there is
// no line, and a drop there reports nothing. A list inside `scroller` scrolls when the row is dragged
// to the edge of what shows of it.
class RowReorderer : public QObject {
    Q_OBJECT

public:
    using Moved = std::function<void(const RowMove&)>;
    // The line's thickness.
    static constexpr int indicatorHeight = 2;

    RowReorderer(DisplayRowList& list, Moved moved, QScrollArea* scroller = nullptr);

    // Call after the list's rows changed, so that new rows can be dragged.
    void watchRows();
    // The row at `from` is dragged over height `y` of the list.
    void dragOver(std::size_t from, int y);
    // The row at `from` was dropped at height `y` of the list.
    void drop(std::size_t from, int y);
    // The line, shown only while it marks a place that changes the order.
    const QWidget& indicator() const { return *m_indicator; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DropTarget target(std::size_t from, int y) const;
    void startDrag(std::size_t from);

    DisplayRowList& m_list;
    Moved m_moved;
    QScrollArea* m_scroller;
    QWidget* m_indicator;  // owned by the list
    std::optional<QPoint> m_pressedAt;
};

}  // namespace lumadesk
