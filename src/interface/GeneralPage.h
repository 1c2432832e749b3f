#pragma once

#include <functional>
#include <vector>

#include "interface/DiagnosticsView.h"
#include "interface/KeyboardAccessDialog.h"
#include "interface/logic/KeyboardPermissions.h"
#include "registry/DisplayManager.h"
#include "runtime/Signal.h"
#include "runtime/UserDefaults.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;

namespace lumadesk {

class NoticeRow;
class PlainButton;
class ToggleSwitch;

// What the General page opens beyond itself.
struct GeneralPageActions {
    // The desktop's settings for programs started at login.
    std::function<void()> openLoginItemSettings;
    // The About window.
    std::function<void()> openAbout;
    // What the diagnostics tell about the platform under the displays.
    PlatformStatus platform{};
};

// The second tab of the settings window: the stored preferences (tray icon, launch at login, the
// brightness panel, what the brightness keys control), the missing approvals and keyboard grants with
// the buttons that mend them, and a footer with the version, the diagnostics and About. Every switch
// writes its setting at once; what the page shows follows the settings and the manager live.
class GeneralPage : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* showBrightnessHUDKey = "showBrightnessHUD";
    static constexpr int pickerWidth = 210;

    GeneralPage(DisplayManager& manager, UserDefaults& defaults, KeyboardPermissionControlling& permissions,
                QString versionText, GeneralPageActions actions, QWidget* parent = nullptr);
    ~GeneralPage() override;

    // Reads everything again and closes the diagnostics; the window calls it each time the tab shows.
    void rebuild();

    ToggleSwitch& menuBarIconSwitch() const { return *m_menuBarIconSwitch; }
    ToggleSwitch& launchAtLoginSwitch() const { return *m_launchAtLoginSwitch; }
    ToggleSwitch& brightnessHUDSwitch() const { return *m_hudSwitch; }
    QComboBox& controlPicker() const { return *m_picker; }
    NoticeRow& approvalRow() const { return *m_approvalRow; }
    NoticeRow& keyboardRow() const { return *m_keyboardRow; }
    PlainButton& advancedButton() const { return *m_advancedButton; }
    PlainButton& aboutButton() const { return *m_aboutButton; }
    QString versionText() const;
    // The open diagnostics sheet, if any.
    DiagnosticsView* diagnostics() const { return m_diagnostics; }
    void showDiagnostics();
    // What "Enable Access" does: asks for the missing grants and, for those still missing, shows what the
    // user does to give them; the grants are read again when the dialog closes.
    void enableKeyboardAccess();
    // The open keyboard-access dialog, if any.
    KeyboardAccessDialog* keyboardAccessDialog() const { return m_keyboardAccess; }

private:
    QWidget* buildAppCard();
    QWidget* buildKeyboardCard();
    QWidget* buildFooter(const QString& versionText);
    QWidget* card(const QString& title, const std::vector<QWidget*>& lines);
    void renderSwitches();
    void renderApproval();
    void renderKeyboard();
    void renderPicker();
    void pickerChosen(int index);
    void store(const char* key, DefaultsValue value);

    DisplayManager& m_manager;
    UserDefaults& m_defaults;
    KeyboardPermissionControlling& m_permissions;
    GeneralPageActions m_actions;
    std::vector<Subscription> m_subscriptions;

    // Owned through the widget tree.
    ToggleSwitch* m_menuBarIconSwitch = nullptr;
    ToggleSwitch* m_launchAtLoginSwitch = nullptr;
    NoticeRow* m_approvalRow = nullptr;
    QWidget* m_approvalDivider = nullptr;
    NoticeRow* m_keyboardRow = nullptr;
    QWidget* m_keyboardDivider = nullptr;
    ToggleSwitch* m_hudSwitch = nullptr;
    QComboBox* m_picker = nullptr;
    QLabel* m_version = nullptr;
    PlainButton* m_advancedButton = nullptr;
    PlainButton* m_aboutButton = nullptr;
    QPointer<DiagnosticsView> m_diagnostics;          // deletes itself when closed
    QPointer<KeyboardAccessDialog> m_keyboardAccess;  // deleted when closed
};

}  // namespace lumadesk
