#pragma once

#include <string>
#include <vector>

#include "platform/ScreenList.h"
#include "platform/linux/LinuxDisplayDirectory.h"
#include "platform/linux/configuration/OutputConfigurationBackend.h"

namespace lumadesk {

// The desktop's screens with the displays that show them. The interface framework lists the screens,
// each named by the window system's name of its output. Where the session's configuration service lists
// its outputs with their EDIDs (X11), a screen shows the online connector whose monitor is on the output
// of that name: X drivers spell and number outputs their own way, and some count from 0 where the
// kernel counts from 1, so that "HDMI-A-1" there is the kernel's HDMI-A-2. Otherwise, and for a monitor
// the service does not place, a screen shows the online connector of that name: Wayland compositors
// name outputs as the kernel names connectors ("HDMI-A-1"); X servers drop the dashes or call HDMI-A
// plain HDMI ("HDMI-1", "HDMI1"), which is matched when no connector has the exact name and only one has
// the loose one. A screen that matches no connector, or more than one (two cards each with a DP-1),
// keeps display 0: it is never guessed. A matched screen is named by its monitor's EDID. Without the
// framework's screens (the command line) there are none. Main thread only.
class LinuxScreenList final : public ScreenList {
public:
    // The directory and the service must outlive the list.
    LinuxScreenList(LinuxDisplayDirectory& directory, OutputConfigurationBackend& outputConfiguration)
        : m_directory(directory), m_outputConfiguration(outputConfiguration) {}

    // The framework's screens, named by their outputs; they must outlive this list.
    void useDesktopScreens(ScreenList& desktop) { m_desktop = &desktop; }

    std::vector<Screen> screens() override;
    std::optional<Screen> mainScreen() override;
    ScreenPoint pointerLocation() override;

    // The online connector showing the output of this name, among the window system's connected
    // outputs (empty when it does not list them); 0 when none or more than one would.
    static DisplayID displayShowing(const std::vector<LinuxDisplay>& displays,
                                    const std::vector<OutputCandidate>& outputs,
                                    const std::string& outputName);

private:
    Screen matched(Screen screen, const std::vector<LinuxDisplay>& displays,
                   const std::vector<OutputCandidate>& outputs) const;

    LinuxDisplayDirectory& m_directory;
    OutputConfigurationBackend& m_outputConfiguration;
    ScreenList* m_desktop = nullptr;
};

}  // namespace lumadesk
