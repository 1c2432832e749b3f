#include "platform/linux/configuration/UnsupportedSessionBackend.h"

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

void UnsupportedSessionBackend::apply(const std::vector<OutputChange>&) {
    throw OutputConfigurationError(message);
}

}  // namespace lumadesk
