#include "interface/LumadeskApp.h"

#include "interface/MenuBarItem.h"
#include "interface/MenuBarPopover.h"

#include <QApplication>
#include <QSystemTrayIcon>

#include <iostream>
#include <utility>

namespace lumadesk {

LumadeskApp::LumadeskApp(std::shared_ptr<DisplayManager> manager, UserDefaults& defaults, MainQueue& queue,
                         QObject* parent)
    : QObject(parent), m_manager(std::move(manager)), m_delegate(*m_manager, queue) {
    PopoverActions actions;
    actions.quit = [] { QCoreApplication::quit(); };
    m_popover = std::make_unique<MenuBarPopover>(*m_manager, m_updater, queue, std::move(actions));
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_popover->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
        m_menuBarItem = std::make_unique<MenuBarItem>(defaults, m_updater, *m_popover);
    } else {
        std::cerr << "lumadesk: this desktop has no system tray; showing the display window instead.\n";
    }
    // Without a tray the window is the only way in, so closing it ends the program; with one, the
    // program lives on in the tray.
    QApplication::setQuitOnLastWindowClosed(m_menuBarItem == nullptr);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_delegate.applicationWillTerminate(); });
}

LumadeskApp::~LumadeskApp() = default;

void LumadeskApp::start() {
    m_delegate.applicationDidFinishLaunching();
    if (!m_menuBarItem) m_popover->show();
}

void LumadeskApp::showNotice(const std::string& message) {
    if (m_menuBarItem && m_menuBarItem->showNotice(QString::fromStdString(message))) return;
    std::cerr << "lumadesk: " << message << "\n";
}

}  // namespace lumadesk
