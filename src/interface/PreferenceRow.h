#pragma once

#include <QWidget>

class QLabel;

namespace lumadesk {

// One line of a settings card: the title at the leading edge, its control at the trailing edge.
class PreferenceRow : public QWidget {
    Q_OBJECT

public:
    // The row takes the accessory into its widget tree.
    PreferenceRow(const QString& title, QWidget* accessory, QWidget* parent = nullptr);

    QString title() const;
    QWidget& accessory() const { return *m_accessory; }

private:
    QLabel* m_title;       // owned through the widget tree
    QWidget* m_accessory;  // owned through the widget tree
};

}  // namespace lumadesk
