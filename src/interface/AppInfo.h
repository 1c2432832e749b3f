#pragma once

#include <QIcon>
#include <QString>
#include <QUrl>

namespace lumadesk {

// What the program knows of itself, fixed when it is built: its version, build number, icon and the
// address of its update feed.
class AppInfo {
public:
    // The project's version ("0.1.0").
    static QString shortVersion();
    // The build number ("1"); the update feed's versions are compared with it.
    static QString buildNumber();
    // "0.1.0 (1)", as the About window and the General page show it.
    static QString versionText();
    // The appcast's address; empty when the build names none (then updates are left to the package
    // manager).
    static QUrl updateFeedURL();
    // The application's own icon: the one installed in the icon theme, else the one built in.
    static QIcon applicationIcon();
};

}  // namespace lumadesk
