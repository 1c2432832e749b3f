#include "interface/RowReorderer.h"

#include "interface/DisplayRowList.h"
#include "interface/DisplayRowView.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QLayout>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>
#include <memory>
#include <utility>

namespace lumadesk {

namespace {
constexpr const char* rowMimeType = "application/x-lumadesk-display-row";
}

RowReorderer::RowReorderer(DisplayRowList& list, Moved moved)
    : QObject(&list), m_list(list), m_moved(std::move(moved)) {
    m_list.setAcceptDrops(true);
    m_list.installEventFilter(this);
}

void RowReorderer::watchRows() {
    for (auto* row : m_list.rows()) row->installEventFilter(this);
}

void RowReorderer::drop(std::size_t from, int y) {
    // The rows' places as they are drawn now, even when a new order is still waiting to be laid out.
    if (auto* layout = m_list.layout()) layout->activate();
    std::vector<int> centres;
    for (const auto* row : m_list.rows()) centres.push_back(row->geometry().center().y());
    if (auto move = rowMove(from, dropDestination(centres, y), centres.size())) m_moved(*move);
}

bool RowReorderer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_list) {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* dragEvent = static_cast<QDragMoveEvent*>(event);
                if (dragEvent->mimeData()->hasFormat(QString::fromLatin1(rowMimeType))) {
                    dragEvent->acceptProposedAction();
                    return true;
                }
                return false;
            }
            case QEvent::Drop: {
                auto* dropEvent = static_cast<QDropEvent*>(event);
                const QByteArray from = dropEvent->mimeData()->data(QString::fromLatin1(rowMimeType));
                if (from.isEmpty()) return false;
                dropEvent->acceptProposedAction();
                drop(from.toULongLong(), dropEvent->position().toPoint().y());
                return true;
            }
            default:
                return false;
        }
    }
    const auto& rows = m_list.rows();
    const auto row = std::find(rows.begin(), rows.end(), watched);
    if (row == rows.end()) return false;
    if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton) m_pressedAt = press->position().toPoint();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        m_pressedAt.reset();
    } else if (event->type() == QEvent::MouseMove && m_pressedAt) {
        auto* move = static_cast<QMouseEvent*>(event);
        if ((move->position().toPoint() - *m_pressedAt).manhattanLength() >=
            QApplication::startDragDistance()) {
            m_pressedAt.reset();
            startDrag(static_cast<std::size_t>(row - rows.begin()));
            return true;
        }
    }
    return false;
}

void RowReorderer::startDrag(std::size_t from) {
    auto* row = m_list.rows()[from];
    // The drag owns its data and is deleted by Qt when it ends.
    auto* drag = new QDrag(row);
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(rowMimeType), QByteArray::number(static_cast<qulonglong>(from)));
    drag->setMimeData(data.release());
    drag->setPixmap(row->grab());
    drag->exec(Qt::MoveAction);
}

}  // namespace lumadesk
