#include "platform/linux/configuration/UnsupportedSessionBackend.h"

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

void UnsupportedSessionBackend::applyWithin(const std::vector<OutputChange>&, const Deadline&) {
    throw OutputConfigurationError(message);
}

}  // namespace lumadesk
