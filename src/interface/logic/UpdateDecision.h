#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lumadesk {

// One release announced by the update feed.
struct AppcastItem {
    std::string title;
    std::string version;           // the build number the release carries
    std::string shortVersion;      // the version shown to people; may be empty
    std::string releaseNotesLink;  // may be empty
};

// What one update check found.
struct UpdateOutcome {
    enum class Kind { upToDate, updateFound, failed };

    Kind kind = Kind::failed;
    std::string version;           // the newer release's shown version, when one was found
    std::string releaseNotesLink;  // only an https: link, else empty
    std::string failure;           // why the check failed

    static UpdateOutcome failedBecause(std::string reason) {
        return {Kind::failed, {}, {}, std::move(reason)};
    }
};

// The newest item whose version is newer than `currentVersion`; items with versions that are not
// numbers are passed over. A feed with no usable item at all is a failure.
UpdateOutcome decideUpdate(const std::vector<AppcastItem>& items, const std::string& currentVersion);

// Only https: links are ever opened; everything else (javascript:, file:, http:) is dropped.
bool isOpenableLink(const std::string& link);

}  // namespace lumadesk
