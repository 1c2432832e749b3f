#include "interface/RowReorderer.h"

#include "interface/DisplayRowList.h"
#include "interface/DisplayRowView.h"
#include "interface/Theme.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>

#include <algorithm>
#include <memory>
#include <utility>

namespace lumadesk {

namespace {

constexpr const char* rowMimeType = "application/x-lumadesk-display-row";
// How close to the edge of the visible rows a dragged row has to come for the list to scroll.
constexpr int scrollMargin = 24;

// The line between two rows where a dragged row would go, in the accent colour.
class DropIndicator : public QWidget {
public:
    explicit DropIndicator(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFixedHeight(RowReorderer::indicatorHeight);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::accent(*this));
        painter.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    }
};

std::optional<std::size_t> draggedRow(const QMimeData& data) {
    const QByteArray from = data.data(QString::fromLatin1(rowMimeType));
    bool valid = false;
    const auto row = from.toULongLong(&valid);
    if (!valid) return std::nullopt;
    return static_cast<std::size_t>(row);
}

}  // namespace

RowReorderer::RowReorderer(DisplayRowList& list, Moved moved, QScrollArea* scroller)
    : QObject(&list),
      m_list(list),
      m_moved(std::move(moved)),
      m_scroller(scroller),
      m_indicator(new DropIndicator(&list)) {
    m_list.setAcceptDrops(true);
    m_list.installEventFilter(this);
}

void RowReorderer::watchRows() {
    for (auto* row : m_list.rows()) row->installEventFilter(this);
}

DropTarget RowReorderer::target(std::size_t from, int y) const {
    // The rows' places as they are drawn now, even when a new order is still waiting to be laid out.
    if (auto* layout = m_list.layout()) layout->activate();
    std::vector<RowSpan> spans;
    for (const auto* row : m_list.rows()) {
        const QRect place = row->geometry();
        spans.push_back({place.top(), place.top() + place.height()});
    }
    return dropTarget(spans, from, y);
}

void RowReorderer::dragOver(std::size_t from, int y) {
    if (m_scroller) m_scroller->ensureVisible(0, y, 0, scrollMargin);
    const auto line = target(from, y).indicatorY;
    if (!line) {
        m_indicator->hide();
        return;
    }
    // Centred on the boundary, but whole within the list at its ends.
    const int top =
        std::clamp(*line - indicatorHeight / 2, 0, std::max(0, m_list.height() - indicatorHeight));
    m_indicator->setGeometry(0, top, m_list.width(), indicatorHeight);
    m_indicator->raise();
    m_indicator->show();
}

void RowReorderer::drop(std::size_t from, int y) {
    m_indicator->hide();
    if (const auto move = target(from, y).move) m_moved(*move);
}

bool RowReorderer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_list) {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* dragEvent = static_cast<QDragMoveEvent*>(event);
                const auto from = draggedRow(*dragEvent->mimeData());
                if (!from) return false;
                dragEvent->acceptProposedAction();
                dragOver(*from, dragEvent->position().toPoint().y());
                return true;
            }
            case QEvent::DragLeave:
                m_indicator->hide();
                return false;
            case QEvent::Drop: {
                auto* dropEvent = static_cast<QDropEvent*>(event);
                const auto from = draggedRow(*dropEvent->mimeData());
                if (!from) return false;
                dropEvent->acceptProposedAction();
                drop(*from, dropEvent->position().toPoint().y());
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
    const QPointer<RowReorderer> self(this);
    drag->exec(Qt::MoveAction);
    // A drag given up (Escape, or dropped outside the list) leaves no line behind.
    if (self) m_indicator->hide();
}

}  // namespace lumadesk
