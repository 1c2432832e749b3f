#include "interface/logic/UpdateDecision.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "interface/logic/AppVersion.h"

namespace lumadesk {

UpdateOutcome decideUpdate(const std::vector<AppcastItem>& items, const std::string& currentVersion) {
    const auto current = AppVersion::parse(currentVersion);
    if (!current)
        return UpdateOutcome::failedBecause("This version of Lumadesk has no comparable version number.");
    const AppcastItem* newest = nullptr;
    std::optional<AppVersion> newestVersion;
    bool anyUsable = false;
    for (const auto& item : items) {
        const auto version = AppVersion::parse(item.version);
        if (!version) continue;
        anyUsable = true;
        if (*version > *current && (!newestVersion || *version > *newestVersion)) {
            newest = &item;
            newestVersion = version;
        }
    }
    if (!anyUsable)
        return UpdateOutcome::failedBecause("The update feed lists no release with a valid version.");
    if (!newest) return {UpdateOutcome::Kind::upToDate, {}, {}, {}};
    const auto& shown = newest->shortVersion.empty() ? newest->version : newest->shortVersion;
    return {UpdateOutcome::Kind::updateFound,
            shown,
            isOpenableLink(newest->releaseNotesLink) ? newest->releaseNotesLink : std::string(),
            {}};
}

bool isOpenableLink(const std::string& link) {
    constexpr std::string_view scheme = "https://";
    if (link.size() <= scheme.size()) return false;
    const bool httpsScheme = std::equal(scheme.begin(), scheme.end(), link.begin(), [](char a, char b) {
        return a == std::tolower(static_cast<unsigned char>(b));
    });
    const bool printable = std::all_of(
        link.begin(), link.end(), [](char c) { return static_cast<unsigned char>(c) > 0x20 && c != 0x7f; });
    return httpsScheme && printable;
}

}  // namespace lumadesk
