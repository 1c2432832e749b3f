#pragma once

#include <memory>
#include <string>

#include "interface/QtScreenList.h"
#include "interface/Updater.h"
#include "interface/logic/KeyboardPermissions.h"
#include "interface/logic/PlatformStatus.h"
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

class AboutPage;
class MenuBarItem;
class MenuBarPopover;
class SettingsView;
class TrayMenu;

// The tray application: it holds the display manager, the application delegate and the updater, and
// shows the popover from a tray icon. Where the desktop has no tray, it says so once and shows the
// popover as an ordinary window, and closing that window quits.
class LumadeskApp : public QObject {
    Q_OBJECT

public:
    // The defaults and the queue must outlive the application; the manager is shared with the stack
    // that built it. Without other permissions given, the settings show the keys' own controller. The
    // platform's status is shown in the popover's error strip and in the diagnostics.
    LumadeskApp(std::shared_ptr<DisplayManager> manager, UserDefaults& defaults, MainQueue& queue,
                LumadeskKeys keys, QObject* parent = nullptr,
                std::unique_ptr<KeyboardPermissionControlling> permissions = nullptr,
                PlatformStatus platform = {});
    ~LumadeskApp() override;

    // Shows the tray icon (or the window) and queues the first refresh.
    void start();
    // Opens the settings window and raises it: what a second start of the program asks for, since the
    // tray icon may be switched off.
    void bringForward();
    // Tells the user something worth knowing once (a damaged settings file moved aside): a notification
    // from the tray icon, or a line on standard error where there is none.
    void showNotice(const std::string& message);

    Updater& updater() { return m_updater; }
    MenuBarPopover& popover() const { return *m_popover; }
    // The tray icon; none where the desktop has no tray.
    MenuBarItem* menuBarItem() const { return m_menuBarItem.get(); }
    TrayMenu& trayMenu() const { return *m_trayMenu; }

    // Opens the settings window, or brings it forward when it is open (also the way back in when the
    // tray icon is off and the program is started again).
    void openSettings();
    // Opens the About window, or brings it forward.
    void openAbout();
    // The windows, once opened.
    SettingsView* settingsView() const { return m_settings.get(); }
    AboutPage* aboutWindow() const { return m_about.get(); }
    AppDelegate& delegate() { return m_delegate; }

private:
    std::shared_ptr<DisplayManager> m_manager;
    UserDefaults& m_defaults;
    MainQueue& m_queue;
    PlatformStatus m_platform;
    NotificationCenter m_notifications;
    QtScreenList m_panelScreens;
    KeyboardPermissionController m_keyboardPermissions;
    std::vector<Subscription> m_shortcutObservers;
    AppDelegate m_delegate;
    Updater m_updater;
    std::unique_ptr<KeyboardPermissionControlling> m_permissions;
    std::unique_ptr<MenuBarPopover> m_popover;
    std::unique_ptr<TrayMenu> m_trayMenu;
    std::unique_ptr<MenuBarItem> m_menuBarItem;
    std::unique_ptr<SettingsView> m_settings;
    std::unique_ptr<AboutPage> m_about;
};

}  // namespace lumadesk
