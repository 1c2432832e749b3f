#pragma once

#include <QScrollBar>

class QAbstractScrollArea;

namespace lumadesk {

// A slim scroll indicator laid over the right edge of a scroll area's content instead of taking width
// from it, so that the rows' switches and percentages line up with the header whether the list scrolls
// or not. It mirrors the area's own scroll bar, which stays hidden and keeps serving the wheel and the
// keyboard; it shows only while there is something to scroll.
class OverlayScrollBar : public QScrollBar {
    Q_OBJECT

public:
    // Takes over the area's vertical indicator; owned by the area.
    explicit OverlayScrollBar(QAbstractScrollArea& area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    void place();

    QAbstractScrollArea& m_area;
};

}  // namespace lumadesk
