#include "interface/MenuBarItem.h"

#include "interface/SymbolIcons.h"
#include "interface/Updater.h"
#include "interface/logic/PopoverPlacement.h"
#include "interface/logic/TrayIconInk.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

namespace lumadesk {

namespace {

constexpr Qt::WindowFlags popupFlags = Qt::Popup | Qt::FramelessWindowHint;

PopoverPlacement::Rect plain(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

TrayIconInk::Rgba plain(const QColor& colour) {
    return {colour.red(), colour.green(), colour.blue(), colour.alpha()};
}

QColor qt(const TrayIconInk::Rgba& colour) {
    return QColor(colour.red, colour.green, colour.blue, colour.alpha);
}

}  // namespace

MenuBarItem::MenuBarItem(UserDefaults& defaults, Updater& updater, QWidget& popover, QObject* parent)
    : QObject(parent),
      m_defaults(defaults),
      m_updater(updater),
      m_popover(popover),
      m_tray(std::make_unique<QSystemTrayIcon>()),
      m_showMenuBarIcon(defaults.observe(showMenuBarIconKey, [this] { applyPresence(); })) {
    m_popover.setWindowFlags(popupFlags);
    m_tray->setToolTip(QStringLiteral("Lumadesk"));
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    togglePopover();
            });
    connect(&m_updater, &Updater::isUpdateAvailableChanged, this, &MenuBarItem::applyIcon);
    // The icon's colours follow the desktop's scheme as it changes.
    qApp->installEventFilter(this);
    m_popover.installEventFilter(this);
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

void MenuBarItem::setContextMenu(QMenu& menu) {
    m_tray->setContextMenu(&menu);
}

void MenuBarItem::applyPresence() {
    const bool shown = m_defaults.boolValue(showMenuBarIconKey).value_or(true);
    m_tray->setVisible(shown);
    if (!shown) m_popover.hide();
}

QIcon MenuBarItem::drawnIcon(const QString& symbol, const QPalette& scheme, const QString& currentDesktop) {
    const TrayIconInk ink(plain(scheme.color(QPalette::Window)), currentDesktop.toStdString());
    return SymbolIcons::outlinedIcon(symbol, qt(ink.ink()), qt(ink.halo()));
}

void MenuBarItem::applyIcon() {
    m_tray->setIcon(
        drawnIcon(iconSymbol(), QGuiApplication::palette(), qEnvironmentVariable("XDG_CURRENT_DESKTOP")));
}

bool MenuBarItem::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) applyIcon();
    // A display that comes or goes changes the popover's height: placed again, it stays by its icon and
    // on the screen instead of running off it.
    if (watched == &m_popover && event->type() == QEvent::Resize && m_popover.isVisible() &&
        m_popover.windowFlags().testFlag(Qt::Popup)) {
        place();
    }
    return QObject::eventFilter(watched, event);
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
    m_icon = iconGeometry.isValid() ? std::optional(plain(iconGeometry)) : std::nullopt;
    const QPoint pointer = QCursor::pos();
    m_pointer = {pointer.x(), pointer.y()};
    // The popover may have been brought forward as a window of its own; from the icon it is a popup.
    if (!m_popover.windowFlags().testFlag(Qt::Popup)) m_popover.setWindowFlags(popupFlags);
    place();
    m_popover.show();
    m_popover.raise();
    m_popover.activateWindow();
}

// By the icon (or the pointer) the popover was opened from, inside the free area of that screen.
void MenuBarItem::place() {
    const QPoint anchor =
        m_icon ? QPoint(m_icon->centreX(), m_icon->centreY()) : QPoint(m_pointer.x, m_pointer.y);
    const QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const auto corner = PopoverPlacement::place(m_popover.width(), m_popover.height(), m_icon, m_pointer,
                                                plain(screen->availableGeometry()));
    m_popover.move(corner.x, corner.y);
}

}  // namespace lumadesk
