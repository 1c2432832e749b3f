#include "interface/logic/AppVersion.h"

#include <algorithm>
#include <charconv>

namespace lumadesk {

std::optional<AppVersion> AppVersion::parse(const std::string& text) {
    std::vector<unsigned long> parts;
    const char* position = text.data();
    const char* end = text.data() + text.size();
    while (true) {
        unsigned long part = 0;
        const auto [next, error] = std::from_chars(position, end, part);
        if (error != std::errc() || next == position) return std::nullopt;
        parts.push_back(part);
        if (next == end) return AppVersion(std::move(parts));
        if (*next != '.') return std::nullopt;
        position = next + 1;
    }
}

std::strong_ordering AppVersion::operator<=>(const AppVersion& other) const {
    const auto length = std::max(m_parts.size(), other.m_parts.size());
    for (std::size_t index = 0; index < length; ++index) {
        const auto mine = index < m_parts.size() ? m_parts[index] : 0;
        const auto theirs = index < other.m_parts.size() ? other.m_parts[index] : 0;
        if (mine != theirs) return mine <=> theirs;
    }
    return std::strong_ordering::equal;
}

std::string versionText(const std::optional<std::string>& shortVersion,
                        const std::optional<std::string>& build) {
    return shortVersion.value_or("1.0") + " (" + build.value_or("1") + ")";
}

}  // namespace lumadesk
