#pragma once

#include <QWidget>

namespace lumadesk {

// A hairline across the width, starting `inset` pixels from the leading edge.
class Divider : public QWidget {
    Q_OBJECT

public:
    explicit Divider(int inset = 0, QWidget* parent = nullptr);

    int inset() const { return m_inset; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_inset;
};

}  // namespace lumadesk
