#pragma once

#include <QWidget>

namespace lumadesk {

// A hairline across the width.
class Divider : public QWidget {
    Q_OBJECT

public:
    explicit Divider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lumadesk
