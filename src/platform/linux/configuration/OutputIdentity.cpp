#include "platform/linux/configuration/OutputIdentity.h"

#include <algorithm>
#include <cctype>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {

namespace {

// The name without hyphens and without the "-A" of HDMI-A/DVI-A type letters, lowercased: the form in
// which the drivers' spellings of one connector agree.
std::string canonicalName(const std::string& name) {
    std::string text;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const bool typeLetter = name[i] == '-' && i + 2 < name.size() &&
                                (name[i + 1] == 'A' || name[i + 1] == 'a') && name[i + 2] == '-' &&
                                (name.starts_with("HDMI") || name.starts_with("DVI"));
        if (typeLetter) {
            i += 1;
            continue;
        }
        if (name[i] != '-') text += static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    }
    return text;
}

// EDIDs are compared by their base block: some sources leave the extension blocks out.
bool sameMonitor(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    constexpr std::size_t baseBlock = 128;
    const std::size_t length = std::min({a.size(), b.size(), baseBlock});
    return length > 0 && std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(length), b.begin());
}

}  // namespace

bool outputNameMatches(const std::string& connector, const std::string& outputName) {
    return connector == outputName || canonicalName(connector) == canonicalName(outputName);
}

std::optional<std::size_t> findOutput(const OutputIdentity& identity,
                                      const std::vector<OutputCandidate>& candidates) {
    std::vector<std::size_t> sameEDID;
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (sameMonitor(candidates[i].edid, identity.edid)) sameEDID.push_back(i);
    if (sameEDID.size() == 1) return sameEDID.front();
    // Among outputs that share the EDID (two monitors of one model with no serial) only the name
    // tells. With no EDID match the name decides, but never for an output that shows another
    // monitor's EDID: that is a different display on the same port.
    const auto byName = [&](std::size_t i) {
        return outputNameMatches(identity.connector, candidates[i].name);
    };
    std::vector<std::size_t> pool = sameEDID;
    if (pool.empty()) {
        for (std::size_t i = 0; i < candidates.size(); ++i)
            if (identity.edid.empty() || candidates[i].edid.empty()) pool.push_back(i);
    }
    std::vector<std::size_t> named;
    std::copy_if(pool.begin(), pool.end(), std::back_inserter(named), byName);
    // An exact spelling beats a driver's variant of it.
    const auto exact = std::find_if(named.begin(), named.end(),
                                    [&](std::size_t i) { return candidates[i].name == identity.connector; });
    if (exact != named.end()) return *exact;
    if (named.size() == 1) return named.front();
    if (sameEDID.size() > 1)
        throw OutputConfigurationError("Two displays report the same identity, so " + identity.connector +
                                       " cannot be told apart from the other.");
    return std::nullopt;
}

}  // namespace lumadesk
