#pragma once

#include <memory>
#include <string>

#include "interface/AppDelegate.h"
#include "interface/Updater.h"
#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"
#include "runtime/UserDefaults.h"

#include <QObject>

namespace lumadesk {

class MenuBarItem;
class MenuBarPopover;

// The tray application: it holds the display manager, the application delegate and the updater, and
// shows the popover from a tray icon. Where the desktop has no tray, it says so once and shows the
// popover as an ordinary window, and closing that window quits.
class LumadeskApp : public QObject {
    Q_OBJECT

public:
    // The defaults and the queue must outlive the application; the manager is shared with the stack
    // that built it.
    LumadeskApp(std::shared_ptr<DisplayManager> manager, UserDefaults& defaults, MainQueue& queue,
                QObject* parent = nullptr);
    ~LumadeskApp() override;

    // Shows the tray icon (or the window) and queues the first refresh.
    void start();
    // Tells the user something worth knowing once (a damaged settings file moved aside): a notification
    // from the tray icon, or a line on standard error where there is none.
    void showNotice(const std::string& message);

    Updater& updater() { return m_updater; }
    MenuBarPopover& popover() const { return *m_popover; }
    // The tray icon; none where the desktop has no tray.
    MenuBarItem* menuBarItem() const { return m_menuBarItem.get(); }

private:
    std::shared_ptr<DisplayManager> m_manager;
    AppDelegate m_delegate;
    Updater m_updater;
    std::unique_ptr<MenuBarPopover> m_popover;
    std::unique_ptr<MenuBarItem> m_menuBarItem;
};

}  // namespace lumadesk
