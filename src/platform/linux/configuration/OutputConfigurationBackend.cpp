#include "platform/linux/configuration/OutputConfigurationBackend.h"

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

void requireAnEnabledOutput(std::size_t enabledAfterwards) {
    if (enabledAfterwards == 0) throw OutputConfigurationError(lastOutputMessage);
}

void requireTimeLeft(const Deadline& deadline) {
    callTimeout(deadline, std::chrono::milliseconds(1));
}

std::chrono::milliseconds callTimeout(const Deadline& deadline, std::chrono::milliseconds own) {
    // Less than a millisecond left is nothing left: a call cannot be asked to finish in no time.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline.limit(own));
    if (left <= std::chrono::milliseconds::zero()) throw OutputConfigurationError(noTimeLeftMessage);
    return left;
}

}  // namespace lumadesk
