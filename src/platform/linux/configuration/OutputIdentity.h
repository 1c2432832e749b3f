#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumadesk {

// One display output as the session's window system knows it: the DRM connector name without the
// card prefix ("DP-1", "HDMI-A-2") and the monitor's raw EDID (empty when it has none).
struct OutputIdentity {
    std::string connector;
    std::vector<std::uint8_t> edid;

    friend bool operator==(const OutputIdentity&, const OutputIdentity&) = default;
};

// An output a window system lists, by its own name and, where it tells, its EDID.
struct OutputCandidate {
    std::string name;
    std::vector<std::uint8_t> edid;
};

// Whether a window system's output name denotes the connector: X11 drivers name "HDMI-A-1" also
// "HDMI-1" or "HDMI1", and "DP-1" also "DP1".
bool outputNameMatches(const std::string& connector, const std::string& outputName);

// The index of the candidate that is the identity's output: by EDID first (the name decides among
// outputs that share one), else by name. Absent when none is. Throws OutputConfigurationError when
// several outputs share the EDID and no name tells them apart.
std::optional<std::size_t> findOutput(const OutputIdentity& identity,
                                      const std::vector<OutputCandidate>& candidates);

}  // namespace lumadesk
