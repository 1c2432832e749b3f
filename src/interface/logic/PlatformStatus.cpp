#include "interface/logic/PlatformStatus.h"

namespace lumadesk {

PlatformFacts PlatformStatus::facts() const {
    return {displayConfigurationService, problems ? problems() : std::vector<std::string>{},
            replyWaits ? replyWaits() : std::map<std::string, ReplyWait>{}};
}

std::optional<std::string> errorStripMessage(const std::optional<std::string>& lastError,
                                             const std::vector<std::string>& platformProblems) {
    std::optional<std::string> message = lastError;
    for (const auto& problem : platformProblems) message = message ? *message + "\n\n" + problem : problem;
    return message;
}

}  // namespace lumadesk
