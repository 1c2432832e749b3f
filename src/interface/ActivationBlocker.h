#pragma once

#include <QObject>

class QWidget;

namespace lumadesk {

// Holds a control's activation while the action it started runs, without disabling it: Qt hands the
// focus of a control that is disabled on to the next one, where the user's next key press would act
// on another display. So the control keeps its focus (and Tab still leaves it), and only the clicks
// and keys that would activate it again are dropped.
class ActivationBlocker : public QObject {
    Q_OBJECT

public:
    // Filters the control's events; owned by the control.
    explicit ActivationBlocker(QWidget& control);

    bool isBlocking() const { return m_blocking; }
    void setBlocking(bool blocking);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_control;
    bool m_blocking = false;
};

}  // namespace lumadesk
