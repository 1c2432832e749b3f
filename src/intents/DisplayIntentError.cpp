#include "intents/DisplayIntentError.h"

#include "runtime/PrintableText.h"

namespace lumadesk {

DisplayIntentError::DisplayIntentError(Kind kind, std::string payload, const std::string& description)
    : std::runtime_error(description), m_kind(kind), m_payload(std::move(payload)) {}

DisplayIntentError DisplayIntentError::displayNotFound(const std::string& hardwareID) {
    // The ID is what a caller typed: quoted back short and printable.
    return {Kind::displayNotFound, hardwareID, "Display " + echoedText(hardwareID) + " not found."};
}

DisplayIntentError DisplayIntentError::operationFailed(const std::string& message) {
    return {Kind::operationFailed, message, message};
}

}  // namespace lumadesk
