#pragma once

#include <QAbstractButton>

namespace lumadesk {

class Spinner;

// The header's refresh button: a circular arrow on a rounded square, replaced by a spinner and
// disabled while the popover's refresh runs.
class RefreshButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit RefreshButton(QWidget* parent = nullptr);

    bool isBusy() const { return m_busy; }
    void setBusy(bool busy);
    const Spinner& spinner() const { return *m_spinner; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Spinner* m_spinner;  // owned through the widget tree
    bool m_busy = false;
};

}  // namespace lumadesk
