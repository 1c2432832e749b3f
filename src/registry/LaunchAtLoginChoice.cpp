#include "registry/LaunchAtLoginChoice.h"

namespace lumadesk {

void LaunchAtLoginChoice::remember(bool wanted) {
    if (remembered() == wanted) return;
    try {
        m_settings.setValue(key, wanted);
    } catch (const DefaultsWriteError&) {
        // Settings that cannot be written leave the choice as it was kept; the login item itself is
        // already where the user put it, and the next start judges again.
    }
}

}  // namespace lumadesk
