#include "interface/logic/BrightnessControlPicker.h"

#include <algorithm>

#include "interface/logic/PopoverContent.h"

namespace lumadesk {

namespace {
constexpr std::size_t fixedEntries = 2;
}

BrightnessControlPicker::BrightnessControlPicker(const std::vector<Display>& visibleDisplays)
    : m_entries{{"All displays", allMode}, {"Display under pointer", currentMode}} {
    const PopoverContent ordered(true, visibleDisplays);
    for (const auto& display : ordered.shownDisplays()) {
        if (display.isPresent && display.isConnected)
            m_entries.push_back({display.displayName(), display.hardwareID});
    }
}

std::optional<std::size_t> BrightnessControlPicker::dividerBefore() const {
    if (m_entries.size() == fixedEntries) return std::nullopt;
    return fixedEntries;
}

std::optional<std::size_t> BrightnessControlPicker::selectedIndex(const std::string& mode) const {
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&mode](const Entry& entry) { return entry.value == mode; });
    if (found == m_entries.end()) return std::nullopt;
    return static_cast<std::size_t>(found - m_entries.begin());
}

std::string BrightnessControlPicker::storedMode(const UserDefaults& defaults) {
    return defaults.stringValue(key).value_or(allMode);
}

}  // namespace lumadesk
