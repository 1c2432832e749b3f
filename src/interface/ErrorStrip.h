#pragma once

#include <QWidget>

class QLabel;

namespace lumadesk {

// The manager's last error under the list: a warning sign and the message, read out as one element.
class ErrorStrip : public QWidget {
    Q_OBJECT

public:
    explicit ErrorStrip(QWidget* parent = nullptr);

    QString message() const;
    void setMessage(const QString& message);
    const QWidget& messageRow() const { return *m_row; }

private:
    QWidget* m_row;     // owned through the widget tree
    QLabel* m_message;  // owned through the widget tree
};

}  // namespace lumadesk
