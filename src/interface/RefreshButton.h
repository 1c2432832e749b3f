#pragma once

#include <QAbstractButton>

namespace lumadesk {

class ActivationBlocker;
class Spinner;

// The header's refresh button: a circular arrow on a rounded square, replaced by a spinner and
// held while the popover's refresh runs (it keeps the keyboard focus, and ignores clicks).
class RefreshButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit RefreshButton(QWidget* parent = nullptr);

    bool isBusy() const;
    void setBusy(bool busy);
    const Spinner& spinner() const { return *m_spinner; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Spinner* m_spinner;               // owned through the widget tree
    ActivationBlocker* m_activation;  // owned through the object tree
};

}  // namespace lumadesk
