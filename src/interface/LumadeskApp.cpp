#include "interface/LumadeskApp.h"

#include "interface/AboutPage.h"
#include "interface/AfterPaint.h"
#include "interface/AppInfo.h"
#include "interface/AutostartSettings.h"
#include "interface/BrightnessHUDWindow.h"
#include "interface/MenuBarItem.h"
#include "interface/MenuBarPopover.h"
#include "interface/SettingsView.h"
#include "interface/TrayMenu.h"

#include <QApplication>
#include <QPointer>
#include <QStandardPaths>
#include <QSystemTrayIcon>

#include <iostream>
#include <utility>

namespace lumadesk {

namespace {

std::unique_ptr<BrightnessHUDPanel> makePanelWindow(BrightnessHUDState& state, ScreenFrame frame) {
    return std::make_unique<BrightnessHUDWindow>(
        state, QRect(static_cast<int>(frame.x), static_cast<int>(frame.y), static_cast<int>(frame.width),
                     static_cast<int>(frame.height)));
}

void logLine(const std::string& line) {
    std::cerr << line << "\n";
}

}  // namespace

LumadeskApp::LumadeskApp(std::shared_ptr<DisplayManager> manager, UserDefaults& defaults, MainQueue& queue,
                         LumadeskKeys keys, QObject* parent,
                         std::unique_ptr<KeyboardPermissionControlling> permissions, PlatformStatus platform)
    : QObject(parent),
      m_manager(std::move(manager)),
      m_defaults(defaults),
      m_queue(queue),
      m_platform(std::move(platform)),
      m_keyboardPermissions(keys.permissions),
      m_delegate({.manager = m_manager,
                  .queue = queue,
                  .defaults = defaults,
                  .notifications = m_notifications,
                  .screens = keys.screens,
                  .panelScreens = m_panelScreens,
                  .keyboard = keys.keyboard,
                  .permissions = keys.permissions,
                  .keyboardPermissions = m_keyboardPermissions,
                  .makePanel = makePanelWindow,
                  .trayItemFrame = [this]() -> std::optional<ScreenFrame> {
                      if (!m_menuBarItem) return std::nullopt;
                      const QRect g = m_menuBarItem->trayIcon().geometry();
                      if (g.isEmpty()) return std::nullopt;
                      return ScreenFrame{static_cast<double>(g.x()), static_cast<double>(g.y()),
                                         static_cast<double>(g.width()), static_cast<double>(g.height())};
                  },
                  .log = logLine,
                  .underTestHost = keys.underTestHost}),
      m_updater(UpdaterOptions{AppInfo::updateFeedURL(), AppInfo::buildNumber()}),
      m_permissions(permissions ? std::move(permissions)
                                : std::make_unique<KeyboardPermissionBinding>(m_keyboardPermissions)) {
    QGuiApplication::setWindowIcon(AppInfo::applicationIcon());
    PopoverActions actions;
    actions.openSettings = [this] { openSettings(); };
    actions.quit = [] { QCoreApplication::quit(); };
    actions.platformProblems = m_platform.problems;
    m_popover = std::make_unique<MenuBarPopover>(*m_manager, m_updater, queue, std::move(actions));
    m_trayMenu = std::make_unique<TrayMenu>(
        m_updater, TrayMenuActions{[this] { openAbout(); }, [this] { openSettings(); },
                                   [] { QCoreApplication::quit(); }});
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_menuBarItem = std::make_unique<MenuBarItem>(defaults, m_updater, *m_popover);
        m_menuBarItem->setContextMenu(*m_trayMenu);
    } else {
        std::cerr << "lumadesk: this desktop has no system tray; showing the display window instead.\n";
    }
    // Without a tray the window is the only way in, so closing it ends the program; with one, the
    // program lives on in the tray.
    QApplication::setQuitOnLastWindowClosed(m_menuBarItem == nullptr ||
                                            AppDelegate::applicationShouldTerminateAfterLastWindowClosed());
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_delegate.applicationWillTerminate(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) m_delegate.applicationDidBecomeActive();
    });
    // A change of a stored shortcut made in this program re-registers the hot keys.
    for (const char* key :
         {"brightnessUpKey", "brightnessDownKey", "brightnessUpModifiers", "brightnessDownModifiers"}) {
        m_shortcutObservers.push_back(
            defaults.observe(key, [this] { m_notifications.post(AppDelegate::shortcutsDidChange); }));
    }
}

LumadeskApp::~LumadeskApp() = default;

void LumadeskApp::openSettings() {
    if (!m_settings) {
        GeneralPageActions actions;
        actions.openAbout = [this] { openAbout(); };
        actions.platform = m_platform;
        actions.openLoginItemSettings = [] {
            AutostartSettings::open(
                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
                "/autostart");
        };
        m_settings = std::make_unique<SettingsView>(*m_manager, m_queue, m_defaults, *m_permissions,
                                                    std::move(actions));
    }
    // The popup under the icon closes; a popover shown as the only window (no tray) stays.
    if (m_menuBarItem) m_popover->hide();
    m_settings->present();
}

void LumadeskApp::openAbout() {
    if (!m_about) m_about = std::make_unique<AboutPage>(m_updater, [this] { openSettings(); });
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void LumadeskApp::start() {
    if (!m_menuBarItem) m_popover->show();
    // The first refresh blocks while it reads the monitors: a window shown now says "Finding displays"
    // first instead of staying blank.
    // A quit that comes first (a signal at start) destroys the application before the job runs.
    AfterPaint::run(*m_popover, m_queue, [self = QPointer<LumadeskApp>(this)] {
        if (self) self->m_delegate.applicationDidFinishLaunching();
    });
}

void LumadeskApp::bringForward() {
    openSettings();
}

void LumadeskApp::showNotice(const std::string& message) {
    if (m_menuBarItem && m_menuBarItem->showNotice(QString::fromStdString(message))) return;
    std::cerr << "lumadesk: " << message << "\n";
}

}  // namespace lumadesk
