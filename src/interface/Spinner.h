#pragma once

#include <QTimer>
#include <QWidget>

namespace lumadesk {

// An indeterminate progress indicator: spokes fading round a circle. It animates only while shown.
class Spinner : public QWidget {
    Q_OBJECT

public:
    // `side` is the spinner's diameter; the widget takes a square of it.
    explicit Spinner(int side, QWidget* parent = nullptr);

    bool isAnimating() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static constexpr int spokeCount = 8;

    QTimer m_timer;
    int m_step = 0;
};

}  // namespace lumadesk
