#pragma once

#include <QPointer>
#include <QSlider>
#include <QString>

namespace lumadesk {

class ListWheelLatch;

// A horizontal slider over 0...100 in hundredths, so values between whole levels reach the logic.
// Positions set by the program are not reported back; every position the user gives is. In a scrolling
// list the wheel moves the slider only when it has the focus or when the list has not just scrolled under
// the pointer; otherwise the notch scrolls the list. A notch the slider takes never reaches the list.
// Like the other controls it takes the focus from Tab only, and shows it with a ring round its knob.
class ContinuousSlider : public QSlider {
    Q_OBJECT

public:
    static constexpr int stepsPerUnit = 100;

    explicit ContinuousSlider(QWidget* parent = nullptr);

    double position() const { return value() / static_cast<double>(stepsPerUnit); }
    // Moves the knob without reporting it as a move.
    void setPosition(double position);

    // What assistive technology reads as the slider's value ("46 percent").
    const QString& accessibleValue() const { return m_accessibleValue; }
    void setAccessibleValue(const QString& text);

Q_SIGNALS:
    // The user moved the knob to the position.
    void moved(double position);
    // The user started (true) or ended (false) a drag.
    void editingChanged(bool editing);

protected:
    void showEvent(QShowEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void initStyleOption(QStyleOptionSlider* option) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_accessibleValue;
    QPointer<ListWheelLatch> m_listLatch;  // owned by the list the slider sits in
};

}  // namespace lumadesk
