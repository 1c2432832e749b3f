#include "interface/logic/KeyboardAccessSteps.h"

#include "platform/linux/keys/SessionPermissionServices.h"

namespace lumadesk {

std::vector<KeyboardAccessStep> keyboardAccessSteps(bool accessibilityGranted, bool inputMonitoringGranted) {
    std::vector<KeyboardAccessStep> steps;
    if (!inputMonitoringGranted) {
        steps.push_back(
            {"Lumadesk reads the brightness keys from the keyboard's input devices, which only "
             "members of the input group may open. Add your user to the input group, then log "
             "out and in again:",
             "sudo usermod -aG input $USER"});
    }
    // The same words the key paths use when they are asked for the grant.
    if (!accessibilityGranted) steps.push_back({SessionPermissionServices::keysOwnedByDesktop, {}});
    return steps;
}

}  // namespace lumadesk
