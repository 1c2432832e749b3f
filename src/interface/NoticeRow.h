#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace lumadesk {

// A warning line of a settings card: an orange symbol, a title and an explanation, and the button that
// mends it, on an orange tint; read out as one element.
class NoticeRow : public QWidget {
    Q_OBJECT

public:
    NoticeRow(const QString& symbol, const QString& title, const QString& buttonTitle,
              QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    QPushButton& button() const { return *m_button; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
    QLabel* m_text;         // owned through the widget tree
    QPushButton* m_button;  // owned through the widget tree
};

}  // namespace lumadesk
