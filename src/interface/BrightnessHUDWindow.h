#pragma once

#include <memory>

#include "keys/BrightnessHUDPanel.h"
#include "keys/BrightnessHUDState.h"
#include "runtime/Signal.h"

#include <QPropertyAnimation>
#include <QWidget>

class QLabel;

namespace lumadesk {

class ContinuousSlider;

// The floating brightness panel: 302 x 72, frameless, translucent with rounded corners (radius 20),
// the caption over a slider between two suns. It never takes the keyboard focus; it fades and grows
// in and out (scale 0.96, 5 points of drift) over about 0.28 s; hovering and dragging hold it.
class BrightnessHUDWindow final : public QWidget, public BrightnessHUDPanel {
    Q_OBJECT

public:
    BrightnessHUDWindow(BrightnessHUDState& state, QRect frame);
    ~BrightnessHUDWindow() override;

    void moveTo(ScreenPoint origin) override;
    void orderFront() override;
    void orderOut() override;

    const QLabel& caption() const { return *m_caption; }
    const ContinuousSlider& slider() const { return *m_slider; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setShownFraction(qreal fraction);
    void animateTo(bool visible);

    BrightnessHUDState& m_state;
    QLabel* m_caption = nullptr;
    ContinuousSlider* m_slider = nullptr;
    QWidget* m_content = nullptr;
    QVariantAnimation m_animation;
    qreal m_shown = 0;
    QPoint m_origin;
    std::vector<Subscription> m_subscriptions;
};

}  // namespace lumadesk
