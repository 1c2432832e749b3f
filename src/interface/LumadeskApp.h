#pragma once

#include <memory>

#include "interface/QtScreenList.h"
#include "interface/Updater.h"
#include "keys/AppDelegate.h"
#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"
#include "runtime/UserDefaults.h"

#include <QObject>

namespace lumadesk {

// The keyboard and the screens the brightness keys use; all must outlive the application.
struct LumadeskKeys {
    KeyboardEvents& keyboard;
    PermissionServices& permissions;
    // The screens whose order selects the display under the pointer.
    ScreenList& screens;
    // Running under a test host: never prompt for permissions.
    bool underTestHost = false;
};

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
                LumadeskKeys keys, QObject* parent = nullptr);
    ~LumadeskApp() override;

    // Shows the tray icon (or the window) and queues the first refresh.
    void start();
    // Shows the popover as an ordinary window and raises it: what a second start of the program asks
    // for, since the tray icon may be switched off.
    void bringForward();

    Updater& updater() { return m_updater; }
    MenuBarPopover& popover() const { return *m_popover; }
    // The tray icon; none where the desktop has no tray.
    MenuBarItem* menuBarItem() const { return m_menuBarItem.get(); }
    AppDelegate& delegate() { return m_delegate; }

private:
    std::shared_ptr<DisplayManager> m_manager;
    MainQueue& m_queue;
    NotificationCenter m_notifications;
    QtScreenList m_panelScreens;
    KeyboardPermissionController m_keyboardPermissions;
    std::vector<Subscription> m_shortcutObservers;
    AppDelegate m_delegate;
    Updater m_updater;
    std::unique_ptr<MenuBarPopover> m_popover;
    std::unique_ptr<MenuBarItem> m_menuBarItem;
};

}  // namespace lumadesk
