#pragma once

#include <QAbstractButton>

namespace lumadesk {

class ActivationBlocker;

// A switch that shows a state it is given and asks for the other one when flipped: it never flips by
// itself, so it always shows the model.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT

public:
    explicit ToggleSwitch(QWidget* parent = nullptr);

    bool isOn() const { return m_on; }
    void setOn(bool on);
    // While busy the switch is drawn dimmed and ignores flips, but keeps the keyboard focus.
    bool isBusy() const;
    void setBusy(bool busy);

    QSize sizeHint() const override { return {30, 18}; }

Q_SIGNALS:
    // The user flipped the switch; `wanted` is the state asked for.
    void flipRequested(bool wanted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_on = false;
    ActivationBlocker* m_activation;  // owned through the object tree
};

}  // namespace lumadesk
