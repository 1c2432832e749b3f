#pragma once

#include <compare>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lumadesk {

// A version as dotted numbers ("1.10.2"), compared number by number; missing trailing numbers count
// as zero, so "1.2" equals "1.2.0" and "1.10" is newer than "1.9".
class AppVersion {
public:
    // None for text that is not dotted decimal numbers (empty parts, letters, signs, numbers too big).
    static std::optional<AppVersion> parse(const std::string& text);

    std::strong_ordering operator<=>(const AppVersion& other) const;
    bool operator==(const AppVersion& other) const { return (*this <=> other) == 0; }

private:
    explicit AppVersion(std::vector<unsigned long> parts) : m_parts(std::move(parts)) {}

    std::vector<unsigned long> m_parts;
};

// "1.0 (1)": the short version and the build number, each falling back to "1.0" and "1" when missing.
std::string versionText(const std::optional<std::string>& shortVersion,
                        const std::optional<std::string>& build);

}  // namespace lumadesk
