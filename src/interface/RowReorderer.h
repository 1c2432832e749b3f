#pragma once

#include <functional>
#include <optional>

#include "interface/logic/DisplaysPageContent.h"

#include <QObject>
#include <QPoint>

namespace lumadesk {

class DisplayRowList;

// Drag-to-reorder for the settings table: a row dragged by any part that does not take the pointer
// itself (the handle, the name) and dropped elsewhere in the list reports the move; a drop that changes
// nothing reports none.
class RowReorderer : public QObject {
    Q_OBJECT

public:
    using Moved = std::function<void(const RowMove&)>;

    RowReorderer(DisplayRowList& list, Moved moved);

    // Call after the list's rows changed, so that new rows can be dragged.
    void watchRows();
    // The row at `from` was dropped at height `y` of the list.
    void drop(std::size_t from, int y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startDrag(std::size_t from);

    DisplayRowList& m_list;
    Moved m_moved;
    std::optional<QPoint> m_pressedAt;
};

}  // namespace lumadesk
