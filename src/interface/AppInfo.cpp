#include "interface/AppInfo.h"

#include "interface/logic/AppVersion.h"

#include <optional>
#include <string>

// Resources of a static library must be registered by name, outside any namespace.
static void registerIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace lumadesk {

namespace {

// An empty definition counts as missing, like a missing entry.
std::optional<std::string> defined(const char* text) {
    if (text[0] == '\0') return std::nullopt;
    return std::string(text);
}

}  // namespace

QString AppInfo::shortVersion() {
    return QString::fromStdString(defined(LUMADESK_VERSION).value_or("1.0"));
}

QString AppInfo::buildNumber() {
    return QString::fromStdString(defined(LUMADESK_BUILD_NUMBER).value_or("1"));
}

QString AppInfo::versionText() {
    return QString::fromStdString(
        lumadesk::versionText(defined(LUMADESK_VERSION), defined(LUMADESK_BUILD_NUMBER)));
}

QUrl AppInfo::updateFeedURL() {
    return QUrl(QStringLiteral(LUMADESK_UPDATE_FEED_URL));
}

QIcon AppInfo::applicationIcon() {
    static const bool registered = (registerIconResources(), true);
    (void)registered;
    return QIcon::fromTheme(QStringLiteral("lumadesk"), QIcon(QStringLiteral(":/icons/lumadesk.svg")));
}

}  // namespace lumadesk
