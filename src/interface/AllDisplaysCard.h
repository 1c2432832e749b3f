#pragma once

#include <QWidget>

class QLabel;

namespace lumadesk {

class ContinuousSlider;

// One slider for every controllable display, on a tinted rounded card. It shows what it is given and
// reports the user's moves; `appeared` tells when it comes on screen.
class AllDisplaysCard : public QWidget {
    Q_OBJECT

public:
    explicit AllDisplaysCard(QWidget* parent = nullptr);

    // Puts the value into the slider without reporting it, and the level into the label.
    void setValue(double value, int shownLevel);
    ContinuousSlider& slider() const { return *m_slider; }
    QString levelText() const;

Q_SIGNALS:
    void userChanged(double value);
    void appeared();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_level;             // owned through the widget tree
    ContinuousSlider* m_slider;  // owned through the widget tree
};

}  // namespace lumadesk
