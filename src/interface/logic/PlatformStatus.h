#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hardware/MonitorReplyWaits.h"

namespace lumadesk {

// What the platform under the displays tells about itself at one moment.
struct PlatformFacts {
    // The service that takes displays off the desktop in this session; empty when not known.
    std::string displayConfigurationService;
    // What keeps monitors out of reach, each in the user's words with its fix.
    std::vector<std::string> problems;
    // How long each online monitor's DDC/CI replies are waited for, by hardware ID.
    std::map<std::string, ReplyWait> replyWaits{};
};

// Where the views read the platform's facts from. The problems are read afresh each time: they come and
// go with the hardware (a node that opens once the udev rule is in, a monitor switched on).
struct PlatformStatus {
    // None: a platform that never has problems.
    std::function<std::vector<std::string>()> problems;
    std::string displayConfigurationService;
    // None: no monitor's replies are waited for.
    std::function<std::map<std::string, ReplyWait>()> replyWaits{};

    PlatformFacts facts() const;
};

// The text of the popover's error strip: the manager's last error, then each platform problem, a blank
// line apart; none when there is nothing to tell.
std::optional<std::string> errorStripMessage(const std::optional<std::string>& lastError,
                                             const std::vector<std::string>& platformProblems);

}  // namespace lumadesk
