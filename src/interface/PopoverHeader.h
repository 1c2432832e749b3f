#pragma once

#include <QWidget>

class QLabel;

namespace lumadesk {

class RefreshButton;

// The popover's top line: the badge, "Lumadesk" over the display count, and the refresh button.
class PopoverHeader : public QWidget {
    Q_OBJECT

public:
    explicit PopoverHeader(QWidget* parent = nullptr);

    QString subtitle() const;
    void setSubtitle(const QString& subtitle);
    RefreshButton& refreshButton() const { return *m_refreshButton; }

Q_SIGNALS:
    void refreshClicked();

private:
    QLabel* m_subtitle;              // owned through the widget tree
    RefreshButton* m_refreshButton;  // owned through the widget tree
};

}  // namespace lumadesk
