#include "interface/TrayMenu.h"

#include "interface/CheckForUpdatesButton.h"
#include "interface/Updater.h"

#include <utility>

namespace lumadesk {

TrayMenu::TrayMenu(Updater& updater, TrayMenuActions actions, QWidget* parent)
    : QMenu(parent), m_updater(updater), m_actions(std::move(actions)) {
    addAction(QStringLiteral("About Lumadesk"), this, [this] { m_actions.openAbout(); });
    m_checkForUpdates = addAction(QString(), &m_updater, &Updater::checkForUpdates);
    addSeparator();
    addAction(QStringLiteral("Settings…"), this, [this] { m_actions.openSettings(); });
    addSeparator();
    addAction(QStringLiteral("Quit Lumadesk"), this, [this] { m_actions.quit(); });
    connect(&m_updater, &Updater::isUpdateAvailableChanged, this, &TrayMenu::renderUpdate);
    connect(&m_updater, &Updater::canCheckForUpdatesChanged, this, &TrayMenu::renderUpdate);
    renderUpdate();
}

void TrayMenu::renderUpdate() {
    m_checkForUpdates->setText(CheckForUpdatesButton::title(m_updater));
    m_checkForUpdates->setEnabled(m_updater.canCheckForUpdates());
}

}  // namespace lumadesk
