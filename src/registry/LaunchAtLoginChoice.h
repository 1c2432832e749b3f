#pragma once

#include <optional>

#include "runtime/UserDefaults.h"

namespace lumadesk {

// The user's own word on launch at login, kept in the settings so that no later start overrules it:
// absent until a start has seen the login item on, then whether the user wants it.
class LaunchAtLoginChoice {
public:
    static constexpr const char* key = "launchAtLogin";

    // The settings must outlive the choice.
    explicit LaunchAtLoginChoice(UserDefaults& settings) : m_settings(settings) {}

    // What the user chose last, if anything yet.
    std::optional<bool> remembered() const { return m_settings.boolValue(key); }
    // Keeps the choice; written only when it differs from the one kept.
    void remember(bool wanted);

private:
    UserDefaults& m_settings;
};

}  // namespace lumadesk
