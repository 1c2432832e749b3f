#include "intents/DesktopEntry.h"

#include "intents/LumadeskShortcuts.h"

namespace lumadesk {

std::string desktopEntry(const std::string& program) {
    std::string actions;
    std::string sections;
    for (const AppShortcut& shortcut : LumadeskShortcuts::appShortcuts) {
        const std::string name(displayActionInfo(shortcut.action).commandName);
        actions += name + ";";
        sections += "\n[Desktop Action " + name + "]\nName=" + shortcut.phrase() + "\nExec=" + program +
                    " --shortcut=" + name + "\n";
    }
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           std::string(LumadeskShortcuts::applicationName) +
           "\n"
           "Comment=External display control, right from your tray\n"
           "Exec=" +
           program +
           "\n"
           "Icon=lumadesk\n"
           "Categories=Utility;Settings;HardwareSettings;\n"
           "Keywords=brightness;monitor;display;DDC;\n"
           "Actions=" +
           actions + "\n" + sections;
}

}  // namespace lumadesk
