#include "interface/AutostartSettings.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include <sstream>

namespace lumadesk {

namespace {

bool isInstalled(const std::string& program) {
    return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
}

bool desktopIs(const std::string& currentDesktop, const std::string& name) {
    std::istringstream parts(currentDesktop);
    for (std::string part; std::getline(parts, part, ':');) {
        if (part == name) return true;
    }
    return false;
}

}  // namespace

std::optional<std::vector<std::string>> AutostartSettings::settingsCommand(
    const std::string& currentDesktop, bool (*installed)(const std::string& program)) {
    if (desktopIs(currentDesktop, "KDE") && installed("systemsettings"))
        return std::vector<std::string>{"systemsettings", "kcm_autostart"};
    if (desktopIs(currentDesktop, "GNOME") && installed("gnome-session-properties"))
        return std::vector<std::string>{"gnome-session-properties"};
    if (desktopIs(currentDesktop, "XFCE") && installed("xfce4-session-settings"))
        return std::vector<std::string>{"xfce4-session-settings"};
    return std::nullopt;
}

void AutostartSettings::open(const std::filesystem::path& autostartDirectory) {
    const auto desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString();
    if (const auto command = settingsCommand(desktop, isInstalled)) {
        QStringList arguments;
        for (std::size_t index = 1; index < command->size(); ++index)
            arguments << QString::fromStdString((*command)[index]);
        if (QProcess::startDetached(QString::fromStdString(command->front()), arguments)) return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(autostartDirectory, ignored);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(autostartDirectory.string())));
}

}  // namespace lumadesk
