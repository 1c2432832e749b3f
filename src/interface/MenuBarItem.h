#pragma once

#include <memory>
#include <optional>

#include "interface/logic/PopoverPlacement.h"
#include "runtime/Signal.h"
#include "runtime/UserDefaults.h"

#include <QIcon>
#include <QObject>
#include <QPalette>
#include <QString>

class QMenu;
class QSystemTrayIcon;

namespace lumadesk {

class Updater;

// The tray icon: there while "showMenuBarIcon" is true (the default), gone while it is false, following
// the setting as it changes; it shows "display", or "display.badge.exclamationmark" while an update
// waits, drawn for the panel it sits on (see TrayIconInk). A click opens the popover under it, or closes it
// when open.
class MenuBarItem : public QObject {
    Q_OBJECT

public:
    static constexpr const char* showMenuBarIconKey = "showMenuBarIcon";

    // `popover` is the window the icon opens; it must outlive the item.
    MenuBarItem(UserDefaults& defaults, Updater& updater, QWidget& popover, QObject* parent = nullptr);
    ~MenuBarItem() override;

    bool isPresent() const;
    QString iconSymbol() const;
    const QSystemTrayIcon& trayIcon() const { return *m_tray; }
    // Opens the popover under the icon, or closes it when it is open.
    void togglePopover();
    // The menu a right click opens; it must outlive the item.
    void setContextMenu(QMenu& menu);

    // The icon of the symbol as drawn under the desktop's colour scheme and desktop names
    // (XDG_CURRENT_DESKTOP).
    static QIcon drawnIcon(const QString& symbol, const QPalette& scheme, const QString& currentDesktop);
    // Shows a message in a notification from the icon, while it is there; false when it is not.
    bool showNotice(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyPresence();
    void applyIcon();
    void openPopover();
    void place();

    UserDefaults& m_defaults;
    Updater& m_updater;
    QWidget& m_popover;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    Subscription m_showMenuBarIcon;
    // Where the popover was last opened from: the icon, when the tray tells it, else the pointer.
    std::optional<PopoverPlacement::Rect> m_icon;
    PopoverPlacement::Point m_pointer;
};

}  // namespace lumadesk
