#pragma once

#include <QPainterPath>
#include <QWidget>

namespace lumadesk {

// A rounded card on the control background, outlined by a hairline of the separator colour; the
// settings pages put their tables and preference lines on it.
class CardFrame : public QWidget {
    Q_OBJECT

public:
    explicit CardFrame(qreal cornerRadius, QWidget* parent = nullptr);

    // The card's outline in the coordinates of one of its lines, so that a line painting its own
    // background keeps within the rounded corners.
    QPainterPath outlineFor(const QWidget& line) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_cornerRadius;
};

}  // namespace lumadesk
