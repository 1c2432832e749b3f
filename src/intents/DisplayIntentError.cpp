#include "intents/DisplayIntentError.h"

namespace lumadesk {

DisplayIntentError::DisplayIntentError(Kind kind, std::string payload, const std::string& description)
    : std::runtime_error(description), m_kind(kind), m_payload(std::move(payload)) {}

DisplayIntentError DisplayIntentError::displayNotFound(const std::string& hardwareID) {
    return {Kind::displayNotFound, hardwareID, "Display " + hardwareID + " not found."};
}

DisplayIntentError DisplayIntentError::operationFailed(const std::string& message) {
    return {Kind::operationFailed, message, message};
}

}  // namespace lumadesk
