#include "interface/MenuBarItem.h"

#include "interface/SymbolIcons.h"
#include "interface/Updater.h"
#include "interface/logic/PopoverPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

namespace lumadesk {

namespace {

PopoverPlacement::Rect plain(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

}  // namespace

MenuBarItem::MenuBarItem(UserDefaults& defaults, Updater& updater, QWidget& popover, QObject* parent)
    : QObject(parent),
      m_defaults(defaults),
      m_updater(updater),
      m_popover(popover),
      m_tray(std::make_unique<QSystemTrayIcon>()),
      m_showMenuBarIcon(defaults.observe(showMenuBarIconKey, [this] { applyPresence(); })) {
    m_tray->setToolTip(QStringLiteral("Lumadesk"));
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    togglePopover();
            });
    connect(&m_updater, &Updater::isUpdateAvailableChanged, this, &MenuBarItem::applyIcon);
    applyIcon();
    applyPresence();
}

MenuBarItem::~MenuBarItem() = default;

bool MenuBarItem::isPresent() const {
    return m_tray->isVisible();
}

QString MenuBarItem::iconSymbol() const {
    return m_updater.isUpdateAvailable() ? QStringLiteral("display.badge.exclamationmark")
                                         : QStringLiteral("display");
}

void MenuBarItem::applyPresence() {
    const bool shown = m_defaults.boolValue(showMenuBarIconKey).value_or(true);
    m_tray->setVisible(shown);
    if (!shown) m_popover.hide();
}

void MenuBarItem::applyIcon() {
    // Drawn as a mask, so that panels which recolour their icons can match them to their own theme.
    QIcon icon = SymbolIcons::icon(iconSymbol(), m_popover.palette().color(QPalette::WindowText));
    icon.setIsMask(true);
    m_tray->setIcon(icon);
}

void MenuBarItem::togglePopover() {
    if (m_popover.isVisible()) {
        m_popover.hide();
    } else {
        openPopover();
    }
}

bool MenuBarItem::showNotice(const QString& message) {
    if (!isPresent() || !QSystemTrayIcon::supportsMessages()) return false;
    m_tray->showMessage(QStringLiteral("Lumadesk"), message, QSystemTrayIcon::Warning);
    return true;
}

void MenuBarItem::openPopover() {
    const QRect iconGeometry = m_tray->geometry();
    const QPoint pointer = QCursor::pos();
    const QScreen* screen =
        QGuiApplication::screenAt(iconGeometry.isValid() ? iconGeometry.center() : pointer);
    if (!screen) screen = QGuiApplication::primaryScreen();
    std::optional<PopoverPlacement::Rect> icon;
    if (iconGeometry.isValid()) icon = plain(iconGeometry);
    const auto corner =
        PopoverPlacement::place(m_popover.width(), m_popover.height(), icon, {pointer.x(), pointer.y()},
                                plain(screen->availableGeometry()));
    m_popover.move(corner.x, corner.y);
    m_popover.show();
    m_popover.raise();
    m_popover.activateWindow();
}

}  // namespace lumadesk
