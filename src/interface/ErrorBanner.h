#pragma once

#include <QWidget>

class QLabel;

namespace lumadesk {

// The manager's last error under the settings table: a warning sign and the message on a rounded
// orange tint, read out as one element.
class ErrorBanner : public QWidget {
    Q_OBJECT

public:
    explicit ErrorBanner(QWidget* parent = nullptr);

    QString message() const;
    void setMessage(const QString& message);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_message;  // owned through the widget tree
};

}  // namespace lumadesk
