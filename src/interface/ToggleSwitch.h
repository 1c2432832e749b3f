#pragma once

#include <QAbstractButton>

namespace lumadesk {

// A switch that shows a state it is given and asks for the other one when flipped: it never flips by
// itself, so it always shows the model.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT

public:
    explicit ToggleSwitch(QWidget* parent = nullptr);

    bool isOn() const { return m_on; }
    void setOn(bool on);

    QSize sizeHint() const override { return {30, 18}; }

Q_SIGNALS:
    // The user flipped the switch; `wanted` is the state asked for.
    void flipRequested(bool wanted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_on = false;
};

}  // namespace lumadesk
