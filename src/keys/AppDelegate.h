#pragma once

#include <memory>
#include <optional>
#include <string>

#include "keys/BrightnessHUD.h"
#include "keys/BrightnessKeyHandler.h"
#include "keys/KeyboardPermissionController.h"
#include "registry/DisplayManager.h"
#include "runtime/NotificationCenter.h"
#include "runtime/UserDefaults.h"

namespace lumadesk {

// The application's life around the brightness keys: at launch the first refresh, the panel, the key
// handler with its capture paths and, once per installation, the permission request; on activation
// the paths are reinstalled so that new grants take effect; at quit they are torn down and the displays
// this program disconnected come back. Every key step is routed to the displays the control mode
// names, and the panel shows the result.
class AppDelegate {
public:
    static constexpr const char* shortcutsDidChange = "Lumadesk.brightnessShortcutsDidChange";
    static constexpr const char* controlModeKey = "brightnessControlMode";
    static constexpr const char* showHUDKey = "showBrightnessHUD";
    static constexpr const char* didRequestPermissionsKey = "didRequestKeyboardPermissions";

    // Everything the delegate uses; all of it must outlive the delegate.
    struct Services {
        std::shared_ptr<DisplayManager> manager;
        MainQueue& queue;
        UserDefaults& defaults;
        NotificationCenter& notifications;
        // The screens whose order selects the display under the pointer.
        ScreenList& screens;
        // The screens the panel is placed on.
        ScreenList& panelScreens;
        KeyboardEvents& keyboard;
        PermissionServices& permissions;
        KeyboardPermissionController& keyboardPermissions;
        BrightnessHUD::MakePanel makePanel;
        BrightnessHUD::TrayItemFrame trayItemFrame;
        BrightnessKeyHandler::Log log;
        // Running under a test host: never prompt for permissions.
        bool underTestHost = false;
    };

    explicit AppDelegate(Services services);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Start-up, in order: first refresh, panel, key handler and its paths, the shortcut observer, and
    // the permission request unless it was made before, is not needed or a test host runs us.
    void applicationDidFinishLaunching();
    // Reads the grants again and reinstalls the tap and the HID monitor.
    void applicationDidBecomeActive();
    // Tears down every capture path and puts back the displays this program disconnected.
    void applicationWillTerminate();
    // The application lives in the tray.
    static bool applicationShouldTerminateAfterLastWindowClosed() { return false; }
    // Registers the custom hot keys again after their settings changed.
    void reloadBrightnessHotKeys();

    // One brightness step from the keys: routed by a main-thread job of its own.
    void brightnessStep(int delta);
    // A panel slider change: applied by a main-thread job of its own.
    void panelSliderChanged(int level, const BrightnessHUDTarget& target);

    BrightnessKeyHandler* brightnessKeyHandler() const { return m_brightnessKeyHandler.get(); }
    BrightnessHUD* brightnessHUD() const { return m_brightnessHUD.get(); }

private:
    std::string controlMode() const;
    bool showsHUD() const;
    std::optional<std::string> displayUnderPointer() const;
    void tearDownKeyPaths(bool includingHotKeys);
    static Task<void> route(std::weak_ptr<AppDelegate*> weakSelf, std::shared_ptr<DisplayManager> manager,
                            int delta);
    static Task<void> applySlider(std::weak_ptr<AppDelegate*> weakSelf,
                                  std::shared_ptr<DisplayManager> manager, int level,
                                  BrightnessHUDTarget target);

    Services m_services;
    std::unique_ptr<BrightnessHUD> m_brightnessHUD;
    std::unique_ptr<BrightnessKeyHandler> m_brightnessKeyHandler;
    Subscription m_shortcutObserver;
    // Jobs hold this weakly and do nothing once the delegate is gone.
    std::shared_ptr<AppDelegate*> m_self;
};

}  // namespace lumadesk
