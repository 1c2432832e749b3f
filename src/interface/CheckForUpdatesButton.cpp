#include "interface/CheckForUpdatesButton.h"

#include "interface/Updater.h"

namespace lumadesk {

CheckForUpdatesButton::CheckForUpdatesButton(Updater& updater, QWidget* parent)
    : QPushButton(parent), m_updater(updater) {
    connect(this, &QPushButton::clicked, &m_updater, &Updater::checkForUpdates);
    connect(&m_updater, &Updater::isUpdateAvailableChanged, this, &CheckForUpdatesButton::render);
    connect(&m_updater, &Updater::canCheckForUpdatesChanged, this, &CheckForUpdatesButton::render);
    render();
}

QString CheckForUpdatesButton::title(const Updater& updater) {
    return updater.isUpdateAvailable() ? QStringLiteral("Update Available…")
                                       : QStringLiteral("Check for Updates…");
}

void CheckForUpdatesButton::render() {
    setText(title(m_updater));
    setEnabled(m_updater.canCheckForUpdates());
}

}  // namespace lumadesk
