#pragma once

#include <memory>

#include "runtime/Signal.h"
#include "runtime/UserDefaults.h"

#include <QObject>
#include <QString>

class QSystemTrayIcon;

namespace lumadesk {

class Updater;

// The tray icon: there while "showMenuBarIcon" is true (the default), gone while it is false, following
// the setting as it changes; it shows "display", or "display.badge.exclamationmark" while an update
// waits. A click opens the popover under it, or closes it when open.
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
    // Shows a message in a notification from the icon, while it is there; false when it is not.
    bool showNotice(const QString& message);

private:
    void applyPresence();
    void applyIcon();
    void openPopover();

    UserDefaults& m_defaults;
    Updater& m_updater;
    QWidget& m_popover;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    Subscription m_showMenuBarIcon;
};

}  // namespace lumadesk
