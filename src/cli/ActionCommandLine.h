#pragma once

#include <string>
#include <vector>

#include "intents/DisplayAction.h"
#include "intents/DisplayEntity.h"

namespace lumadesk {

// The grammar of the display action commands of lumadesk-ctl:
//   get-brightness DISPLAY | set-brightness DISPLAY LEVEL | toggle-connection DISPLAY [on|off]
//   connected-displays | display-info [DISPLAY] | rename DISPLAY NAME | sleep DISPLAY
// The request's hardwareID holds DISPLAY as typed until resolveDisplayArgument turns it into an ID.
class ActionCommandLine {
public:
    // The request of the command with its operands (the arguments after the command's name); throws
    // UsageError for missing or extra operands and bad values.
    static DisplayActionRequest parse(const DisplayActionInfo& action,
                                      const std::vector<std::string>& operands);
    // The lines --help shows for the action commands.
    static std::string usage();
};

// The hardware ID DISPLAY stands for: a hardware ID as it is, else the one display whose name it is
// (with or without the disconnected suffix), else DISPLAY itself, which the action reports as not found.
// Throws UsageError when the name fits several displays.
std::string resolveDisplayArgument(const std::vector<DisplayEntity>& entities, const std::string& display);

}  // namespace lumadesk
