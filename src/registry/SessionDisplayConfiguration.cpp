#include "registry/SessionDisplayConfiguration.h"

namespace lumadesk {

SessionConfigurationResult configureDisplayForSession(WindowServer& windowServer, DisplayID displayID,
                                                      bool enabled) {
    const ConfigurationBegin begin = windowServer.beginConfiguration();
    if (begin.error != windowServerSuccess || !begin.configuration)
        return SessionConfigurationResult::notBegun;
    const DisplayConfigurationRef configuration = *begin.configuration;
    if (windowServer.configureDisplayEnabled(configuration, displayID, enabled) != windowServerSuccess ||
        windowServer.completeConfiguration(configuration, ConfigureOption::forSession) !=
            windowServerSuccess) {
        windowServer.cancelConfiguration(configuration);
        return SessionConfigurationResult::failed;
    }
    return SessionConfigurationResult::applied;
}

}  // namespace lumadesk
