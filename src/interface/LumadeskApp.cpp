#include "interface/LumadeskApp.h"

#include "interface/AfterPaint.h"
#include "interface/BrightnessHUDWindow.h"
#include "interface/MenuBarItem.h"
#include "interface/MenuBarPopover.h"

#include <QApplication>
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
                         LumadeskKeys keys, QObject* parent)
    : QObject(parent),
      m_manager(std::move(manager)),
      m_queue(queue),
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
                  .underTestHost = keys.underTestHost}) {
    PopoverActions actions;
    actions.quit = [] { QCoreApplication::quit(); };
    m_popover = std::make_unique<MenuBarPopover>(*m_manager, m_updater, queue, std::move(actions));
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_menuBarItem = std::make_unique<MenuBarItem>(defaults, m_updater, *m_popover);
    } else {
        std::cerr << "lumadesk: this desktop has no system tray; showing the display window instead.\n";
    }
    // Without a tray the window is the only way in, so closing it ends the program; with one, the
    // program lives on in the tray.
    QApplication::setQuitOnLastWindowClosed(m_menuBarItem == nullptr);
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

void LumadeskApp::start() {
    if (!m_menuBarItem) m_popover->show();
    // The first refresh blocks while it reads the monitors: a window shown now says "Finding displays"
    // first instead of staying blank.
    AfterPaint::run(*m_popover, m_queue, [this] { m_delegate.applicationDidFinishLaunching(); });
}

void LumadeskApp::bringForward() {
    if (m_popover->windowFlags().testFlag(Qt::Popup)) {
        m_popover->hide();
        m_popover->setWindowFlags(Qt::Window);
    }
    m_popover->show();
    m_popover->raise();
    m_popover->activateWindow();
}

}  // namespace lumadesk
