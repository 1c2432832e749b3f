#pragma once

#include <QWidget>

namespace lumadesk {

class PlainButton;

// The popover's bottom: "Update Available…" while an update awaits, then "Settings" and "Quit".
class PopoverFooter : public QWidget {
    Q_OBJECT

public:
    explicit PopoverFooter(QWidget* parent = nullptr);

    void setUpdateAvailable(bool available);
    bool showsUpdate() const;
    PlainButton& updateButton() const { return *m_updateButton; }
    PlainButton& settingsButton() const { return *m_settingsButton; }
    PlainButton& quitButton() const { return *m_quitButton; }

private:
    QWidget* m_updateRow;           // owned through the widget tree
    PlainButton* m_updateButton;    // owned through the widget tree
    PlainButton* m_settingsButton;  // owned through the widget tree
    PlainButton* m_quitButton;      // owned through the widget tree
};

}  // namespace lumadesk
