#pragma once

#include <functional>

#include <QMenu>

namespace lumadesk {

class Updater;

// What the tray menu's commands do.
struct TrayMenuActions {
    std::function<void()> openAbout;
    std::function<void()> openSettings;
    std::function<void()> quit;
};

// The tray icon's context menu, the application menu of a desktop that has none: "About Lumadesk",
// "Check for Updates…" (as the update button reads and enables it), "Settings…" and "Quit Lumadesk".
class TrayMenu : public QMenu {
    Q_OBJECT

public:
    TrayMenu(Updater& updater, TrayMenuActions actions, QWidget* parent = nullptr);

    QAction& checkForUpdatesAction() const { return *m_checkForUpdates; }

private:
    void renderUpdate();

    Updater& m_updater;
    TrayMenuActions m_actions;
    QAction* m_checkForUpdates;  // owned by the menu
};

}  // namespace lumadesk
