#include "interface/LumadeskApp.h"

#include "interface/AfterPaint.h"
#include "interface/MenuBarItem.h"
#include "interface/MenuBarPopover.h"

#include <QApplication>
#include <QSessionManager>
#include <QSystemTrayIcon>

#include <iostream>
#include <utility>

namespace lumadesk {

LumadeskApp::LumadeskApp(std::shared_ptr<DisplayManager> manager, UserDefaults& defaults, MainQueue& queue,
                         QObject* parent)
    : QObject(parent), m_manager(std::move(manager)), m_queue(queue), m_delegate(*m_manager, queue) {
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
    // At logout the session manager may end the program without a normal quit; displays it took off the
    // desktop come back first (the later quit finds nothing left to restore).
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { m_delegate.applicationWillTerminate(); });
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
