#pragma once

#include <functional>

#include <QWidget>

class QPushButton;

namespace lumadesk {

class CheckForUpdatesButton;
class Updater;

// The About window ("about"): the icon, the name, what the program does, its version, three feature
// tiles, "Open Settings" and the update check, on a soft gradient. Its size is fixed.
class AboutPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int pageWidth = 390;
    static constexpr int pageHeight = 370;

    AboutPage(Updater& updater, std::function<void()> openSettings, QWidget* parent = nullptr);

    QPushButton& openSettingsButton() const { return *m_openSettings; }
    CheckForUpdatesButton& checkForUpdatesButton() const { return *m_checkForUpdates; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildIcon();
    QWidget* buildFeatures();

    std::function<void()> m_openSettingsAction;
    QPushButton* m_openSettings;               // owned through the widget tree
    CheckForUpdatesButton* m_checkForUpdates;  // owned through the widget tree
};

}  // namespace lumadesk
