#pragma once

#include "interface/logic/ConnectionStatus.h"

#include <QWidget>

namespace lumadesk {

class Spinner;

// Draws a ConnectionStatus in a 12 by 12 frame: a spinner, an orange warning, or a dot that is green
// while connected.
class ConnectionStatusView : public QWidget {
    Q_OBJECT

public:
    explicit ConnectionStatusView(QWidget* parent = nullptr);

    void setStatus(const ConnectionStatus& status);
    ConnectionStatus::Kind kind() const { return m_kind; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Spinner* m_spinner;  // owned through the widget tree
    ConnectionStatus::Kind m_kind = ConnectionStatus::Kind::connected;
};

}  // namespace lumadesk
