#include "interface/GeneralPage.h"

#include "interface/CardFrame.h"
#include "interface/DiagnosticsView.h"
#include "interface/Divider.h"
#include "interface/MenuBarItem.h"
#include "interface/NoticeRow.h"
#include "interface/PlainButton.h"
#include "interface/PreferenceRow.h"
#include "interface/Theme.h"
#include "interface/ToggleSwitch.h"
#include "interface/logic/BrightnessControlPicker.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <utility>

namespace lumadesk {

namespace {

PlainButton* linkButton(const QString& text, QWidget* parent) {
    auto* button = new PlainButton(QString(), text, Theme::font(Theme::TextStyle::caption), parent);
    button->setTextColor(Theme::accent(*parent));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

}  // namespace

GeneralPage::GeneralPage(DisplayManager& manager, UserDefaults& defaults,
                         KeyboardPermissionControlling& permissions, QString versionText,
                         GeneralPageActions actions, QWidget* parent)
    : QWidget(parent),
      m_manager(manager),
      m_defaults(defaults),
      m_permissions(permissions),
      m_actions(std::move(actions)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scroll);

    auto* content = new QWidget(scroll);
    content->setBackgroundRole(QPalette::Window);
    auto* column = new QVBoxLayout(content);
    column->setSpacing(18);
    column->setContentsMargins(24, 24, 24, 24);
    column->addWidget(buildAppCard());
    column->addWidget(buildKeyboardCard());
    column->addWidget(buildFooter(versionText));
    column->addStretch(1);
    scroll->setWidget(content);

    m_subscriptions.push_back(
        m_defaults.observe(MenuBarItem::showMenuBarIconKey, [this] { renderSwitches(); }));
    m_subscriptions.push_back(m_defaults.observe(showBrightnessHUDKey, [this] { renderSwitches(); }));
    m_subscriptions.push_back(m_defaults.observe(BrightnessControlPicker::key, [this] { renderPicker(); }));
    m_subscriptions.push_back(m_manager.subscribeToLaunchAtLoginEnabled([this](bool) { renderSwitches(); }));
    m_subscriptions.push_back(
        m_manager.subscribeToLaunchAtLoginNeedsApproval([this](bool) { renderApproval(); }));
    m_subscriptions.push_back(
        m_manager.subscribeToDisplays([this](const std::vector<Display>&) { renderPicker(); }));
    m_subscriptions.push_back(m_permissions.observe([this] { renderKeyboard(); }));
    // Coming back from the desktop's settings, a grant given there shows at once.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) m_permissions.refresh();
    });
    rebuild();
}

GeneralPage::~GeneralPage() = default;

QWidget* GeneralPage::card(const QString& title, const std::vector<QWidget*>& lines) {
    auto* block = new QWidget(this);
    auto* column = new QVBoxLayout(block);
    column->setSpacing(8);
    column->setContentsMargins(0, 0, 0, 0);
    auto* heading = new QLabel(title, block);
    heading->setFont(Theme::font(Theme::TextStyle::callout, QFont::DemiBold));
    heading->setContentsMargins(2, 0, 2, 0);
    column->addWidget(heading);
    auto* frame = new CardFrame(11, block);
    auto* inner = new QVBoxLayout(frame);
    inner->setSpacing(0);
    inner->setContentsMargins(0, 0, 0, 0);
    for (auto* line : lines) {
        line->setParent(frame);
        inner->addWidget(line);
    }
    column->addWidget(frame);
    return block;
}

QWidget* GeneralPage::buildAppCard() {
    m_menuBarIconSwitch = new ToggleSwitch(this);
    m_launchAtLoginSwitch = new ToggleSwitch(this);
    m_approvalRow = new NoticeRow(QStringLiteral("exclamationmark.triangle.fill"),
                                  QStringLiteral("Approval required"), QStringLiteral("Open Settings"), this);
    m_approvalRow->setText(QStringLiteral("Allow Lumadesk in Login Items to finish setup."));
    m_approvalDivider = new Divider(this);
    connect(m_menuBarIconSwitch, &ToggleSwitch::flipRequested, this,
            [this](bool wanted) { store(MenuBarItem::showMenuBarIconKey, wanted); });
    connect(m_launchAtLoginSwitch, &ToggleSwitch::flipRequested, this,
            [this](bool wanted) { m_manager.setLaunchAtLoginEnabled(wanted); });
    connect(&m_approvalRow->button(), &QPushButton::clicked, this, [this] {
        if (m_actions.openLoginItemSettings) m_actions.openLoginItemSettings();
    });
    return card(
        QStringLiteral("App"),
        {new PreferenceRow(QStringLiteral("Show menu bar icon"), m_menuBarIconSwitch, this),
         new Divider(this), new PreferenceRow(QStringLiteral("Launch at login"), m_launchAtLoginSwitch, this),
         m_approvalDivider, m_approvalRow});
}

QWidget* GeneralPage::buildKeyboardCard() {
    m_keyboardRow =
        new NoticeRow(QStringLiteral("keyboard.badge.exclamationmark"),
                      QStringLiteral("Keyboard access required"), QStringLiteral("Enable Access"), this);
    m_keyboardDivider = new Divider(this);
    m_hudSwitch = new ToggleSwitch(this);
    m_picker = new QComboBox(this);
    m_picker->setFixedWidth(pickerWidth);
    connect(&m_keyboardRow->button(), &QPushButton::clicked, this, &GeneralPage::enableKeyboardAccess);
    connect(m_hudSwitch, &ToggleSwitch::flipRequested, this,
            [this](bool wanted) { store(showBrightnessHUDKey, wanted); });
    connect(m_picker, &QComboBox::activated, this, &GeneralPage::pickerChosen);
    return card(
        QStringLiteral("Keyboard"),
        {m_keyboardRow, m_keyboardDivider,
         new PreferenceRow(QStringLiteral("Show brightness HUD"), m_hudSwitch, this), new Divider(this),
         new PreferenceRow(QStringLiteral("Brightness keys control"), m_picker, this)});
}

QWidget* GeneralPage::buildFooter(const QString& versionText) {
    auto* footer = new QWidget(this);
    auto* row = new QHBoxLayout(footer);
    row->setSpacing(8);
    row->setContentsMargins(2, 2, 2, 0);
    auto* name = new QLabel(QStringLiteral("Lumadesk"), footer);
    name->setFont(Theme::font(Theme::TextStyle::caption, QFont::Medium));
    m_version = Theme::label(QStringLiteral("Version ") + versionText, Theme::font(Theme::TextStyle::caption),
                             Theme::tertiary(*this), footer);
    m_advancedButton = linkButton(QStringLiteral("Advanced…"), footer);
    m_aboutButton = linkButton(QStringLiteral("About Lumadesk"), footer);
    row->addWidget(name);
    row->addWidget(m_version);
    row->addStretch(1);
    row->addWidget(m_advancedButton);
    row->addWidget(m_aboutButton);
    connect(m_advancedButton, &QAbstractButton::clicked, this, &GeneralPage::showDiagnostics);
    connect(m_aboutButton, &QAbstractButton::clicked, this, [this] {
        if (m_actions.openAbout) m_actions.openAbout();
    });
    return footer;
}

QString GeneralPage::versionText() const {
    return m_version->text();
}

void GeneralPage::rebuild() {
    if (m_diagnostics) m_diagnostics->close();
    renderSwitches();
    renderApproval();
    renderKeyboard();
    renderPicker();
}

void GeneralPage::showDiagnostics() {
    if (m_diagnostics) {
        m_diagnostics->raise();
        return;
    }
    m_diagnostics = new DiagnosticsView(m_manager, window(), m_actions.platform);
    m_diagnostics->open();
}

// No prompt on this desktop can give a program the grants: after asking, the user is told what to do for
// each one still missing.
void GeneralPage::enableKeyboardAccess() {
    m_permissions.requestAccess();
    const auto grants = m_permissions.grants();
    if (!needsKeyboardAccess(grants)) return;
    if (m_keyboardAccess) {
        m_keyboardAccess->raise();
        m_keyboardAccess->activateWindow();
        return;
    }
    m_keyboardAccess = new KeyboardAccessDialog(
        keyboardAccessSteps(grants.accessibilityGranted, grants.inputMonitoringGranted), window());
    m_keyboardAccess->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_keyboardAccess, &QDialog::finished, this, [this] { m_permissions.refresh(); });
    m_keyboardAccess->open();
}

void GeneralPage::renderSwitches() {
    m_menuBarIconSwitch->setOn(m_defaults.boolValue(MenuBarItem::showMenuBarIconKey).value_or(true));
    m_launchAtLoginSwitch->setOn(m_manager.launchAtLoginEnabled());
    m_hudSwitch->setOn(m_defaults.boolValue(showBrightnessHUDKey).value_or(true));
}

void GeneralPage::renderApproval() {
    const bool needed = m_manager.launchAtLoginNeedsApproval();
    m_approvalRow->setVisible(needed);
    m_approvalDivider->setVisible(needed);
}

void GeneralPage::renderKeyboard() {
    const auto grants = m_permissions.grants();
    const bool needed = needsKeyboardAccess(grants);
    m_keyboardRow->setText(QString::fromStdString(keyboardPermissionText(grants)));
    m_keyboardRow->setVisible(needed);
    m_keyboardDivider->setVisible(needed);
}

void GeneralPage::renderPicker() {
    const BrightnessControlPicker picker(m_manager.visibleDisplays());
    const QSignalBlocker blocker(m_picker);
    m_picker->clear();
    for (const auto& entry : picker.entries()) {
        m_picker->addItem(QString::fromStdString(entry.title), QString::fromStdString(entry.value));
    }
    if (const auto divider = picker.dividerBefore()) m_picker->insertSeparator(static_cast<int>(*divider));
    const auto selected = picker.selectedIndex(BrightnessControlPicker::storedMode(m_defaults));
    m_picker->setCurrentIndex(
        selected ? m_picker->findData(QString::fromStdString(picker.entries()[*selected].value)) : -1);
}

void GeneralPage::pickerChosen(int index) {
    const QString value = m_picker->itemData(index).toString();
    if (!value.isEmpty()) store(BrightnessControlPicker::key, value.toStdString());
}

// A setting that cannot be written leaves the controls showing what is stored, and the user is told why.
void GeneralPage::store(const char* key, DefaultsValue value) {
    try {
        m_defaults.setValue(key, std::move(value));
    } catch (const DefaultsWriteError& error) {
        rebuild();
        QMessageBox::warning(
            window(), QStringLiteral("Lumadesk"),
            QStringLiteral("The setting could not be saved: %1").arg(QString::fromUtf8(error.what())));
    }
}

}  // namespace lumadesk
