#pragma once

#include <QWidget>

namespace lumadesk {

// A rounded card on the control background, outlined by a hairline of the separator colour; the
// settings pages put their tables and preference lines on it.
class CardFrame : public QWidget {
    Q_OBJECT

public:
    explicit CardFrame(qreal cornerRadius, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_cornerRadius;
};

}  // namespace lumadesk
