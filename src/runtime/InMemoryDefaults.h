#pragma once

#include <map>

#include "runtime/UserDefaults.h"

namespace lumadesk {

// Defaults kept in memory only, for tests and for runs that must not touch the user's settings.
class InMemoryDefaults final : public UserDefaults {
public:
    std::optional<DefaultsValue> value(const std::string& key) const override;
    void setValue(const std::string& key, DefaultsValue value) override;
    void removeValue(const std::string& key) override;

    // Makes the following writes fail with the message, until cleared with an empty optional.
    void failWrites(std::optional<std::string> message) { m_writeFailure = std::move(message); }

private:
    std::map<std::string, DefaultsValue> m_values;
    std::optional<std::string> m_writeFailure;
};

}  // namespace lumadesk
