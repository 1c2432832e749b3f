#pragma once

#include <optional>
#include <string>
#include <vector>

#include "registry/Display.h"
#include "runtime/UserDefaults.h"

namespace lumadesk {

// The "Brightness keys control" picker: "All displays", "Display under pointer" and, after a divider,
// every present and connected display by name. Its value is the stored "brightnessControlMode".
class BrightnessControlPicker {
public:
    static constexpr const char* key = "brightnessControlMode";
    static constexpr const char* allMode = "all";
    static constexpr const char* currentMode = "current";

    struct Entry {
        std::string title;
        std::string value;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // `visibleDisplays` in the manager's order; they are offered by `sortOrder`.
    explicit BrightnessControlPicker(const std::vector<Display>& visibleDisplays);

    // The two fixed entries, then the displays.
    const std::vector<Entry>& entries() const { return m_entries; }
    // The divider sits before this entry; none when no display is offered.
    std::optional<std::size_t> dividerBefore() const;
    // The entry holding the value; none for a value that matches no entry (a display now unplugged),
    // which stays stored as it is.
    std::optional<std::size_t> selectedIndex(const std::string& mode) const;

    // The stored mode; "all" when the key is missing or holds another type than text.
    static std::string storedMode(const UserDefaults& defaults);

private:
    std::vector<Entry> m_entries;
};

}  // namespace lumadesk
