#pragma once

#include <stdexcept>
#include <string>

namespace lumadesk {

// The one error of every display action; what() is the description shown to the user.
class DisplayIntentError : public std::runtime_error {
public:
    enum class Kind { displayNotFound, operationFailed };

    // No visible display has the hardware ID: "Display <ID> not found."
    static DisplayIntentError displayNotFound(const std::string& hardwareID);
    // The manager reported the message after an operation; the message is the description.
    static DisplayIntentError operationFailed(const std::string& message);

    Kind kind() const { return m_kind; }
    // The hardware ID looked up, or the manager's message.
    const std::string& payload() const { return m_payload; }

private:
    DisplayIntentError(Kind kind, std::string payload, const std::string& description);

    Kind m_kind;
    std::string m_payload;
};

}  // namespace lumadesk
