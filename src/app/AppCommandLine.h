#pragma once

#include <optional>
#include <string>
#include <vector>

#include "assembly/PlatformArguments.h"

namespace lumadesk {

// What one start of the tray application is asked for: only the shared platform options.
struct AppInvocation : PlatformArguments {};

// Reads the arguments of `lumadesk` that Qt left over, and LUMADESK_TRANSPORT.
class AppCommandLine {
public:
    // Whether any argument asks for --help; looked at before Qt starts, so that help needs no display.
    static bool asksForHelp(const std::vector<std::string>& arguments);
    // Whether Qt can reach a desktop: WAYLAND_DISPLAY or DISPLAY is set, or Qt is told which platform
    // to use (QT_QPA_PLATFORM, -platform). Looked at before Qt starts, whose own message misleads.
    static bool hasDesktopSession(const std::vector<std::string>& arguments,
                                  const EnvironmentLookup& environment);
    static constexpr char noDesktopSessionMessage[] =
        "lumadesk: needs a desktop session (Wayland or X11), but neither WAYLAND_DISPLAY nor DISPLAY is "
        "set; lumadesk-ctl works without one.\n";
    // Throws UsageError.
    static AppInvocation parse(const std::vector<std::string>& arguments,
                               const std::optional<std::string>& transportVariable);
    // The text of --help.
    static std::string usage();
};

}  // namespace lumadesk
