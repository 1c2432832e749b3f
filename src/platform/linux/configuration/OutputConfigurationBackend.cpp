#include "platform/linux/configuration/OutputConfigurationBackend.h"

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

void requireAnEnabledOutput(std::size_t enabledAfterwards) {
    if (enabledAfterwards == 0) throw OutputConfigurationError(lastOutputMessage);
}

}  // namespace lumadesk
